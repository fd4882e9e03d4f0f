#include "terminalharness.h"
#include "testhelpers.h"
#include "tools/stringsfrm.h"

#include <QFile>

#include <optional>

using namespace zentrel;
using namespace zentrel::test;

namespace {

QLineEdit *field(StringsFrm *dialog, int k)
{
    return dialog->findChild<QLineEdit *>(QStringLiteral("Str%1Txt").arg(k));
}

void press(StringsFrm *dialog, const char *button)
{
    QTest::mouseClick(dialog->findChild<QPushButton *>(QLatin1StringView(button)), Qt::LeftButton);
}

const QList<QByteArray> kStrings = {"\"S1\" h0d", "\"S2\" h0d", "\"S3\" h0d", "", "\"PL"};

} // namespace

class TestQuickStrings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void functionKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("F3 from the custom line")
            << int(Qt::Key_F3) << 0 << QByteArray("S3\r") << QStringList();
        QTest::newRow("Ctrl+Alt+F2 like F2")
            << int(Qt::Key_F2) << int(Qt::ControlModifier | Qt::AltModifier) << QByteArray("S2\r")
            << QStringList();
        QTest::newRow("F4 empty string is silent")
            << int(Qt::Key_F4) << 0 << QByteArray() << QStringList();
        QTest::newRow("F5 unclosed quote is refused")
            << int(Qt::Key_F5) << 0 << QByteArray() << QStringList{"Invalid string format!"};
        QTest::newRow("F6 is not ours") << int(Qt::Key_F6) << 0 << QByteArray() << QStringList();
    }

    void functionKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QByteArray, wire);
        QFETCH(QStringList, messages);
        TerminalHarness t(iniWith("1", "Standard", kStrings));
        auto *custom = t.find<QLineEdit>("CustomTxt");
        t.window->show();
        custom->setFocus();
        QTest::keyClick(custom, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(t.device.read(wire.size(), wire.isEmpty() ? 100 : 2000), wire);
        QCOMPARE(custom->text(), QString());
        QCOMPARE(t.messages.texts(), messages);
    }

    void buttonsSendUnaddressed()
    {
        TerminalHarness t(iniWith("1", "Standard", kStrings));
        t.clickTab(0);
        t.find<QCheckBox>("IDChk")->setChecked(true);
        QTest::keyClicks(t.find<QLineEdit>("IDTxt"), "5");
        t.click("Str2Cmd");
        QCOMPARE(t.device.read(3), QByteArray("S2\r"));
        t.window->SendCommand("PL\r");
        QCOMPARE(t.device.read(5), QByteArray("5@PL\r"));
    }

    void dialogReadsFileAndSecondPressKeepsEdits()
    {
        TerminalHarness t(iniWith("1", "Standard", kStrings));
        t.click("CfgStrCmd");
        auto *dialog = t.window->stringsDialog();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Quick String Configuration"));
        QCOMPARE(field(dialog, 1)->text(), QStringLiteral("\"S1\" h0d"));
        QCOMPARE(field(dialog, 5)->text(), QStringLiteral("\"PL"));
        field(dialog, 1)->setText(QStringLiteral("edited"));
        t.dir.writeIni(iniWith("1", "Standard", {"changed on disk"}));
        t.click("CfgStrCmd");
        QCOMPARE(t.window->stringsDialog(), dialog);
        QCOMPARE(field(dialog, 1)->text(), QStringLiteral("edited"));
    }

    void editsTakeEffectWhenTheDialogCloses_data()
    {
        QTest::addColumn<QStringList>("presses");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("OK saves and applies") << QStringList{"cmdOK"} << QByteArray("NEW");
        QTest::newRow("Apply then Cancel applies")
            << QStringList{"cmdApply", "cmdCancel"} << QByteArray("NEW");
        QTest::newRow("Cancel alone keeps the old strings")
            << QStringList{"cmdCancel"} << QByteArray("S1\r");
        QTest::newRow("Apply then Escape applies")
            << QStringList{"cmdApply", "escape"} << QByteArray("NEW");
    }

    void editsTakeEffectWhenTheDialogCloses()
    {
        QFETCH(QStringList, presses);
        QFETCH(QByteArray, wire);
        TerminalHarness t(iniWith("1", "Standard", kStrings));
        t.click("CfgStrCmd");
        QPointer<StringsFrm> dialog = t.window->stringsDialog();
        field(dialog, 1)->setText(QStringLiteral("\"NEW\""));
        // Until the dialog closes the main window keeps sending the old string.
        t.click("Str1Cmd");
        QCOMPARE(t.device.read(3), QByteArray("S1\r"));
        for (const auto &button : presses) {
            if (button == QLatin1String("escape"))
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                press(dialog, button.toLatin1().constData());
        }
        QTRY_VERIFY(!dialog);
        t.click("Str1Cmd");
        QCOMPARE(t.device.read(wire.size()), wire);
        QVERIFY(t.messages.shown.isEmpty());
    }

    void closingReappliesSavedPortAndView()
    {
        TerminalHarness t(iniWith("1", "Hex", kStrings));
        PseudoTerminal two;
        t.dir.pin(2, two);
        t.window = nullptr;
        t.window = std::make_unique<Terminal>(t.messages);
        t.pick("PortCmb", "2");
        t.pick("ViewCmb", "Mixed");
        t.click("CfgStrCmd");
        press(t.window->stringsDialog(), "cmdCancel");
        QCOMPARE(t.find<QComboBox>("PortCmb")->currentText(), QStringLiteral("1"));
        QCOMPARE(t.find<QComboBox>("ViewCmb")->currentText(), QStringLiteral("Hex"));
        QCOMPARE(t.window->VekComm().portNumber(), 1);
        QVERIFY(t.window->VekComm().isOpen());
    }

    void applyWritesSevenLines()
    {
        TerminalHarness t(iniWith("1", "Standard", kStrings));
        t.pick("ViewCmb", "Hex");
        t.click("CfgStrCmd");
        auto *dialog = t.window->stringsDialog();
        field(dialog, 4)->setText(QStringLiteral("  four "));
        press(dialog, "cmdApply");
        QCOMPARE(t.dir.readIni(), QByteArray("Port: 1\r\nView: Hex\r\nString 1: \"S1\" h0d\r\n"
                                             "String 2: \"S2\" h0d\r\nString 3: \"S3\" h0d\r\n"
                                             "String 4:   four \r\nString 5: \"PL\r\n"));
    }

    void shortOrMissingFile_data()
    {
        QTest::addColumn<QByteArray>("ini"); // null: no file
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("third");
        QTest::newRow("missing file") << QByteArray() << ""
                                      << "";
        QTest::newRow("a folder where the file should be") << QByteArray("folder") << ""
                                                           << "";
        QTest::newRow("ends after string 2")
            << QByteArray("Port: 1\r\nView: Hex\r\nString 1: a\r\nString 2: b\r\n") << "a"
            << "";
    }

    void shortOrMissingFile()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, first);
        QFETCH(QString, third);
        TerminalHarness t(ini == "folder" ? QByteArray() : ini);
        if (ini == "folder") // nothing can replace it either, also for root
            QVERIFY(QDir(t.dir.path()).mkdir("Zentrel.ini"));
        t.click("CfgStrCmd");
        auto *dialog = t.window->stringsDialog();
        QCOMPARE(t.messages.texts(), QStringList{"Error reading file!"});
        QCOMPARE(field(dialog, 1)->text(), first);
        QCOMPARE(field(dialog, 3)->text(), third);
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

QTEST_MAIN(TestQuickStrings)
#include "tst_quickstrings.moc"
