#include "terminalharness.h"
#include "testhelpers.h"
#include "tools/stringsfrm.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QWheelEvent>

using namespace zentrel;
using namespace zentrel::test;

namespace {

// Each tab's frame, its Play (the 8-Bit panel's Send) and what that sends
// with unit ID 5 ticked.
const struct
{
    const char *frame, *play;
    QByteArray wire;
} kPanels[] = {
    {"Pelvox2Frame", "Pelvox2PlayCmd", "5@PL\r"},
    {"PelvoxHDFrame", "PelvoxHDPlayCmd", "PL\r"},
    {"WendloFrame", "WendloPlayCmd", "1PL\r"},
    {"MP3Frame", "MP3PlayCmd", "PL\r"},
    {"EightBitFrm", "SCSetCmd", QByteArray::fromHex("F500000142 43")},
};

QLineEdit *field(const QWidget *dialog, int k)
{
    return dialog->findChild<QLineEdit *>(QStringLiteral("Str%1Txt").arg(k));
}

} // namespace

class TestTabsAndDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyRouteSwitchesThePanel_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("route");
        QTest::addColumn<int>("to");
        QTest::newRow("click Orbalite") << 0 << "click" << 3;
        QTest::newRow("click on the selected Pelvox2 allows the ID") << 0 << "click" << 0;
        QTest::newRow("Right from Pelvox2") << 0 << "Right" << 1;
        QTest::newRow("Left from 8-Bit") << 4 << "Left" << 3;
        QTest::newRow("Ctrl+Tab from Pelvox/HD") << 1 << "Ctrl+Tab" << 2;
        QTest::newRow("Ctrl+Tab from 8-Bit wraps to Pelvox2") << 4 << "Ctrl+Tab" << 0;
        QTest::newRow("Ctrl+Shift+Tab from Pelvox2 wraps to 8-Bit") << 0 << "Ctrl+Shift+Tab" << 4;
        QTest::newRow("wheel down from Pelvox2") << 0 << "wheel down" << 1;
        QTest::newRow("wheel up from Orbalite") << 3 << "wheel up" << 2;
        QTest::newRow("set by the program, as a mnemonic does") << 2 << "program" << 0;
    }

    void everyRouteSwitchesThePanel()
    {
        QFETCH(int, from);
        QFETCH(QString, route);
        QFETCH(int, to);
        TerminalHarness t;
        t.window->show();
        QTest::keyClicks(t.find<QLineEdit>("IDTxt"), "5");
        t.find<QCheckBox>("IDChk")->setChecked(true);
        for (const auto &[list, item] : {std::pair{"ChanCmb", "1"},
                                         {"TargetAdrCmb", "0"},
                                         {"ResponseCmb", "None"},
                                         {"SCCmdCmb", "SendVersion"}})
            t.pick(list, item);
        if (from != 0)
            t.clickTab(from);
        auto *tabs = t.find<QTabBar>("DeviceTab");
        auto *custom = t.find<QLineEdit>("CustomTxt");
        custom->setFocus();
        if (route == "click") {
            t.clickTab(to);
        } else if (route == "Right" || route == "Left") {
            tabs->setFocus(Qt::TabFocusReason);
            QTest::keyClick(tabs, route == "Right" ? Qt::Key_Right : Qt::Key_Left);
        } else if (route == "Ctrl+Tab") {
            QTest::keyClick(custom, Qt::Key_Tab, Qt::ControlModifier);
        } else if (route == "Ctrl+Shift+Tab") {
            // As X11 delivers it.
            QTest::keyClick(custom, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        } else if (route.startsWith("wheel")) {
            const QPointF at = tabs->rect().center();
            QWheelEvent turn(at, tabs->mapToGlobal(at), {}, {0, route == "wheel up" ? 120 : -120},
                             Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(tabs, &turn);
        } else {
            tabs->setCurrentIndex(to);
        }
        QCOMPARE(tabs->currentIndex(), to);
        for (int panel = 0; panel < 5; ++panel)
            QCOMPARE(t.find<QFrame>(kPanels[panel].frame)->isVisible(), panel == to);
        for (const char *idControl : {"IDTxt", "IDChk"})
            QCOMPARE(t.find<QWidget>(idControl)->isEnabled(), to == 0);
        QCOMPARE(t.window->IDAllowed(), to == 0);
        // The Play on show is the one on top where it stands.
        auto *play = t.find<QPushButton>(kPanels[to].play);
        QCOMPARE(t.window->childAt(play->mapTo(t.window.get(), play->rect().center())), play);
        t.click(kPanels[to].play);
        QCOMPARE(t.device.read(kPanels[to].wire.size()).toHex(' '), kPanels[to].wire.toHex(' '));
        QCOMPARE(t.messages.texts(), QStringList());
    }

    void unsavedEditsStayInTheOpenDialog_data()
    {
        QTest::addColumn<QString>("typed"); // into String 2
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("sizeLimit"); // 0: none
        QTest::addColumn<QString>("message");
        QTest::newRow("euro named by Apply")
            << QString::fromUtf8("\"\xe2\x82\xac\"") << "cmdApply" << 0
            << QString::fromUtf8("Invalid character \"\xe2\x82\xac\" (U+20AC) in String 2!");
        QTest::newRow("character beyond U+FFFF named whole by OK")
            << QString::fromUtf8("\xf0\x9f\x8e\xac") << "cmdOK" << 0
            << QString::fromUtf8("Invalid character \"\xf0\x9f\x8e\xac\" (U+1F3AC) in String 2!");
        // As on a full disk: the new file cannot grow past a few bytes.
        QTest::newRow("file that cannot be written, OK")
            << "ok"
            << "cmdOK" << 32 << "Error saving to file!";
    }

    void unsavedEditsStayInTheOpenDialog()
    {
        QFETCH(QString, typed);
        QFETCH(QString, button);
        QFETCH(int, sizeLimit);
        QFETCH(QString, message);
        TerminalHarness t(iniWith("1", "Standard", {"one", "two", "three"}));
        const QByteArray before = t.dir.readIni();
        t.click("CfgStrCmd");
        QPointer<StringsFrm> dialog = t.window->stringsDialog();
        field(dialog, 1)->setText("first");
        field(dialog, 2)->setText(typed);
        {
            std::optional<FileSizeLimit> limit;
            if (sizeLimit > 0)
                QVERIFY(limit.emplace(rlim_t(sizeLimit)).active());
            QTest::mouseClick(dialog->findChild<QPushButton *>(button), Qt::LeftButton);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(t.messages.texts(), QStringList{message});
        QCOMPARE(t.dir.readIni(), before);
        const QStringList kept{"first", typed, "three", "", ""};
        for (int k = 1; k <= 5; ++k)
            QCOMPARE(field(dialog, k)->text(), kept.at(k - 1));
    }
};

QTEST_MAIN(TestTabsAndDialog)
#include "tst_tabsanddialog.moc"
