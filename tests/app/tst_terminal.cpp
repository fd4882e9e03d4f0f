#include "app/aboutbox.h"
#include "devices/devicepanel.h"
#include "serial/com.h"
#include "showctl/showctllayout.h"
#include "terminalharness.h"
#include "testhelpers.h"
#include "tools/settingsfile.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QSerialPort>
#include <QWheelEvent>

#include <cmath>

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

// What a control's text needs and has: up to where its middle line meets an edge or another
// control. A button's caption is clipped by its frame alone, not Fusion's 80 px floor and margins.
std::pair<int, int> fit(QWidget *widget)
{
    const QRect own = widget->geometry();
    int has = 0;
    while (has < own.width() && widget->isAncestorOf(widget->parentWidget()->childAt(
                                    own.left() + has, own.center().y())))
        ++has;
    if (auto *button = qobject_cast<QPushButton *>(widget)) {
        has -= 2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        return {button->fontMetrics().horizontalAdvance(button->text()), has};
    }
    if (auto *list = qobject_cast<QComboBox *>(widget)) // a hint for the items it holds now
        list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return {std::max(widget->sizeHint().width(), widget->minimumSizeHint().width()), has};
}

// How many shown controls with a caption or items were checked, and how many of them are clipped.
std::pair<int, int> checkTexts(const QWidget *window)
{
    int checked = 0, clipped = 0;
    for (auto *widget : window->findChildren<QWidget *>()) {
        const ControlSpec *row = specOf(widget);
        if (!row || row->kind == ControlKind::Text || widget->isHidden() || !++checked)
            continue;
        if (const auto [needs, has] = fit(widget); needs > has && ++clipped)
            qWarning("%s %s: needs %d px, has %d px",
                     qPrintable(widget->parentWidget()->objectName()), row->name, needs, has);
    }
    return {checked, clipped};
}

constexpr QSize kSmallest(521, 448);

struct Place
{
    QRect rect;
    QSize parent;
};

QHash<const QWidget *, Place> placesOf(const QWidget *window)
{
    QHash<const QWidget *, Place> places;
    for (const auto *widget : window->findChildren<QWidget *>())
        places.insert(widget, {widget->geometry(), widget->parentWidget()->size()});
    return places;
}

// One axis of an anchored control: a named edge keeps the distance it had at the smallest (a far
// edge may be `slack` pixels further), the length grows only between two named edges.
bool followsAxis(int start0, int length0, int parent0, int start, int length, int parent,
                 bool nearEdge, bool farEdge, int slack)
{
    const int far0 = parent0 - start0 - length0, far = parent - start - length;
    return ((farEdge && !nearEdge) || start == start0) &&
           (!farEdge || (far >= far0 && far <= far0 + slack)) &&
           ((nearEdge && farEdge) || length == length0);
}

// At whole device pixels, as every table place is: a frame placed half a pixel off loses its edge.
bool onDeviceGrid(const QWidget *control, const QWidget *window)
{
    const qreal ratio = window->devicePixelRatio();
    const QPoint at = control->mapTo(window, QPoint());
    for (const int v : {at.x(), at.y()}) {
        if (std::abs(v * ratio - std::round(v * ratio)) > 1e-6)
            return false;
    }
    return true;
}

} // namespace

class TestTerminal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What the custom line sends, and the log of it and of a glued answer in
    // the view chosen; a refusal sends and logs nothing.
    void customLine_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("view");
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, const QString &typed, const char *view,
                            const QByteArray &wire, const QByteArray &log,
                            const QString &message = {}) {
            QTest::newRow(name) << typed << view << wire << log << message;
        };
        row("quoted text and escape, standard", "\"PL\" h0d", "Standard", "PL\r",
            "Command Sent:  PL|\r\nReceiving: R|");
        row("mixed", "\"PL\" h0d", "Mixed", "PL\r", "Command Sent:  PL<0D>\r\nReceiving: R<0D>");
        row("hex", "\"PL\" h0d", "Hex", "PL\r",
            "Command Sent:  <50><4C><0D>\r\nReceiving: <52><0D>");
        row("zero byte alone is sent", "h00", "Hex", QByteArray(1, '\0'),
            "Command Sent:  <00>\r\nReceiving: <52><0D>");
        row("empty field sends nothing", "", "Standard", {}, {});
        row("unclosed quote", "\"PL\" \"", "Standard", {}, {}, "Invalid string format!");
        row("beyond latin-1 in quotes", QString::fromUtf8("\"\xe2\x82\xac\""), "Standard", {}, {},
            "Invalid character in string!");
    }

    void customLine()
    {
        QFETCH(QString, typed);
        QFETCH(QString, view);
        QFETCH(QByteArray, wire);
        QFETCH(QByteArray, log);
        QFETCH(QString, message);
        TerminalHarness t;
        t.pick("ViewCmb", view);
        t.sendCustom(typed);
        QCOMPARE(t.messages.last(), message);
        if (wire.isEmpty()) {
            QCOMPARE(t.device.sentSoFar(), QByteArray());
            QCOMPARE(t.logText(), QByteArray());
            return;
        }
        QCOMPARE(t.device.read(wire.size()), wire);
        QCOMPARE(t.window->LastCommand(), wire);
        t.device.write("R");
        QTRY_VERIFY(t.logText().endsWith("R") || t.logText().endsWith("<52>"));
        t.device.write("\r");
        QTRY_COMPARE(t.logText(), log);
    }

    // The first send goes by the route given, the second is a command,
    // then repeated by Rapid Fire.
    void addressing_data()
    {
        QTest::addColumn<int>("tab"); // -1: no tab clicked since start
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("route");
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, int tab, const char *id, const char *route,
                            const QByteArray &first, const QByteArray &second,
                            const char *message = "") {
            QTest::newRow(name) << tab << id << route << first << second << message;
        };
        row("first send after start goes out bare", -1, "5", "command", "PL\r", "5@PL\r");
        row("ticked with empty id refuses", 0, "", "command", {}, {}, "Select unit ID!");
        row("the custom line goes out bare, the next command addressed", 0, "5", "custom", "PL\r",
            "5@PL\r");
        row("a quick string goes out bare, the next command addressed", 0, "5", "quick", "PL\r",
            "5@PL\r");
    }

    void addressing()
    {
        QFETCH(int, tab);
        QFETCH(QString, id);
        QFETCH(QString, route);
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(QString, message);
        TerminalHarness t(iniWith("1", "Standard", {"\"PL\" h0d"}));
        if (tab >= 0)
            t.clickTab(tab);
        t.find<QCheckBox>("IDChk")->setChecked(true);
        QTest::keyClicks(t.find<QLineEdit>("IDTxt"), id);
        if (route == "custom")
            t.sendCustom("\"PL\" h0d");
        else if (route == "quick")
            t.click("Str1Cmd");
        else
            t.window->SendCommand("PL\r");
        QCOMPARE(t.device.read(first.size()), first);
        t.window->SendCommand("PL\r");
        QCOMPARE(t.device.read(second.size()), second);
        QCOMPARE(t.messages.last(), message);
        if (first.isEmpty())
            return;
        QCOMPARE(t.logText(), "Command Sent:  PL|\r\nCommand Sent:  " + second.chopped(1) + '|');
        // Rapid Fire repeats what went out, its prefix once.
        t.click("RapidCmd");
        QCOMPARE(t.device.read(3 * second.size()), second.repeated(3));
        t.click("RapidCmd");
    }

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

    // Round a window with Tab from its first control, each control showing the focus, then back
    // with Shift+Tab, a function key pressed at each control on the way.
    void keyboardWalk_data()
    {
        QTest::addColumn<int>("tab"); // -1: the quick strings dialog
        for (int tab = 0; tab < 5; ++tab)
            QTest::addRow("%s panel", kPanels[tab].frame) << tab;
        QTest::newRow("the quick strings dialog") << -1;
    }

    void keyboardWalk()
    {
        QFETCH(int, tab);
        TerminalHarness t(iniWith("1", "Standard", {"\"a\"", "\"b\"", "\"c\"", "\"d\"", "\"e\""}));
        Terminal &w = *t.window;
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        t.clickTab(std::max(tab, 0));
        for (int k = 0; k < 200; ++k) // the log's caret stays at its start, out of view
            w.WriteLog("PL\r", Direction::Sent);
        QTRY_VERIFY(w.log()->verticalScrollBar()->value() > 100);
        QWidget *window = &w, *start = w.log();
        if (tab < 0) {
            w.CfgStrCmd_Click();
            window = w.stringsDialog();
            window->activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), window);
            start = window->findChild<QWidget *>("Str1Txt");
        }
        start->setFocus(Qt::TabFocusReason);
        QList<QWidget *> walked;
        QList<QImage> seen;
        while (walked.size() < 100 && (walked.isEmpty() || QApplication::focusWidget() != start)) {
            walked << QApplication::focusWidget();
            seen << window->grab().toImage();
            QTest::keyClick(walked.last(), Qt::Key_Tab);
        }
        const qreal ratio = window->devicePixelRatio();
        QByteArray keyed;
        for (qsizetype k = walked.size(); k-- > 0;) {
            const QRect area = QRect(walked[k]->mapTo(window, QPoint(-2, -2)) * ratio,
                                     (walked[k]->size() + QSize(4, 4)) * ratio);
            QVERIFY2(seen[k].copy(area) != seen[(k + 1) % walked.size()].copy(area),
                     qPrintable(walked[k]->objectName()));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), walked[k]);
            QTest::keyClick(walked[k], Qt::Key(Qt::Key_F1 + k % 5)); // the dialog's send nothing
            keyed += tab < 0 ? QByteArray() : QByteArray(1, char('a' + k % 5));
        }
        QCOMPARE(t.device.read(keyed.size()), keyed);
    }

    void idField_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QStringList>("messages");
        const auto row = [](const char *name, const QString &typed, const char *pasted,
                            const char *kept, const QStringList &messages = {}) {
            QTest::newRow(name) << typed << pasted << kept << messages;
        };
        row("127, the highest, kept", "127", "", "127");
        row("only digits and star by key", QString::fromUtf8("a1 -.\xc2\xb2*"), "", "1*");
        row("128 refused at the third digit", "128", "", "", {"Invalid Unit ID!"});
        row("paste filtered", "", "x4y2z", "42");
        row("paste cut to three and checked", "", "9a9b9c9", "", {"Invalid Unit ID!"});
    }

    void idField()
    {
        QFETCH(QString, typed);
        QFETCH(QString, pasted);
        QFETCH(QString, kept);
        QFETCH(QStringList, messages);
        TerminalHarness t;
        auto *field = t.find<QLineEdit>("IDTxt");
        QTest::keyClicks(field, typed);
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClick(field, Qt::Key_Escape);
        if (!pasted.isEmpty()) {
            QApplication::clipboard()->setText(pasted);
            QTest::keySequence(field, QKeySequence::Paste);
        }
        QCOMPARE(field->text(), kept);
        QCOMPARE(t.messages.texts(), messages);
    }

    void loadSettings_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("string3");
        QTest::addColumn<QStringList>("messages");

        const auto row = [](const char *name, const QByteArray &ini, const char *port,
                            const char *view, const char *string3, const QStringList &messages) {
            QTest::newRow(name) << ini << port << view << string3 << messages;
        };
        const auto corrupt = [](const char *prefix) {
            return QStringLiteral("Corrupt \"%1\"line in ini file!").arg(prefix);
        };
        row("port, view and strings restored", iniWith("3", "Hex", {"a", "b", "\"PL\" h0d"}), "3",
            "Hex", "\"PL\" h0d", {});
        row("unknown port selects the last", iniWith("7"), "12", "Standard", "", {});
        row("port starting with a letter ignored silently", iniWith("x3"), "", "Standard", "", {});
        row("lower-case port line is corrupt, the rest applies",
            iniWith("3", "Hex").replace("Port:", "port:"), "", "Hex", "", {corrupt("Port:")});
        row("bad view line selects standard", iniWith("3", "Hex").replace("View: ", "Vue: "), "3",
            "Standard", "", {corrupt("View:")});
        row("view names are case-sensitive: standard", iniWith("3", "hex"), "3", "Standard", "",
            {corrupt("View:")});
        row("a corrupt string between sound ones is named alone",
            "Port: 3\nView: Mixed\nString 1: a\nstring 2: b\nString 3: c\n", "3", "Mixed", "c",
            {corrupt("String 2:")});
        row("short file keeps what was read", "Port: 4\r\nView: Mixed", "4", "Mixed", "", {});
        row("binary garbage", QByteArray("\x00\x01\xff\n\x80\x81\n\n", 8), "", "Standard", "",
            {corrupt("Port:"), corrupt("View:"), corrupt("String 1:")});
    }

    void loadSettings()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, port);
        QFETCH(QString, view);
        QFETCH(QString, string3);
        QFETCH(QStringList, messages);
        AppDirectory dir;
        PseudoTerminal one, three, four, twelve;
        dir.pin(1, one);
        dir.pin(3, three);
        dir.pin(4, four);
        dir.pin(12, twelve);
        dir.writeIni(ini);
        QSerialPort watcher(one.slavePath());
        RecordingMessages recorded;
        Terminal window(recorded);
        // The search for the saved port opens none it passes on the way.
        QCOMPARE(watcher.open(QIODevice::ReadWrite), port != "1");
        watcher.close();
        QCOMPARE(window.findChild<QComboBox *>("PortCmb")->currentText(), port);
        QCOMPARE(window.findChild<QComboBox *>("ViewCmb")->currentText(), view);
        QCOMPARE(window.QuickStrings()[2], string3);
        QCOMPARE(recorded.texts(), messages);
        QCOMPARE(window.VekComm().isOpen(), !port.isEmpty());
        if (!port.isEmpty())
            QCOMPARE(window.VekComm().portNumber(), port.toInt());
    }

    // Exit writes the seven lines and lets the port go; the file keeps its
    // mode, owner and group; a disk that fills keeps the old file whole and
    // is told once.
    void exit_data()
    {
        QTest::addColumn<QByteArray>("ini");       // null: a first run
        QTest::addColumn<QList<int>>("ownership"); // mode, owner, group; empty: as made
        QTest::addColumn<bool>("full");
        QTest::addColumn<QByteArray>("written");
        const auto hex = [](const QByteArray &port, const QList<QByteArray> &strings = {}) {
            return iniWith(port, "Hex", strings);
        };
        const int me = int(::geteuid()), mine = int(::getegid());
        const QByteArray old = iniWith("1", "Mixed", {"a", "", "\"PL\" h0d", "", "  x"});
        QTest::newRow("seven lines")
            << old << QList<int>() << false << hex("1", {"a", "", "\"PL\" h0d", "", "  x"});
        QTest::newRow("first run writes bare prefixes")
            << QByteArray() << QList<int>() << false << hex("");
        QTest::newRow("read-only 0444 stays read-only")
            << old << QList<int>{0444, me, mine} << false
            << hex("1", {"a", "", "\"PL\" h0d", "", "  x"});
        QTest::newRow("0640 of another group")
            << iniWith("1") << QList<int>{0640, me, kOtherGroup} << false << hex("1");
        QTest::newRow("0600 of another owner and group")
            << iniWith("1") << QList<int>{0600, kOtherOwner, kOtherGroup} << false << hex("1");
        QTest::newRow("disk full: the old file stays, told once")
            << old << QList<int>() << true << old;
    }

    void exit()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QList<int>, ownership);
        QFETCH(bool, full);
        QFETCH(QByteArray, written);
        TerminalHarness t(ini);
        const QString file = t.dir.filePath(settings::kFileName);
        if (!ownership.isEmpty()) {
            ZENTREL_REQUIRE_ROOT("only root gives a file another owner");
            QVERIFY(setOwnership(file, {ownership[0], ownership[1], ownership[2]}));
        }
        QCOMPARE(com::ProbePort(1), ini.isNull());
        t.pick("ViewCmb", "Hex");
        {
            const FileSizeLimit limit(full ? 50 : RLIM_INFINITY);
            t.click("ExitCmd");
        }
        QVERIFY(!t.window->isVisible());
        QCOMPARE(t.dir.readIni(), written);
        QCOMPARE(t.messages.texts(), full ? QStringList{settings::kSaveError} : QStringList());
        QCOMPARE(QDir(t.dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{settings::kFileName});
        if (!ownership.isEmpty()) {
            const Ownership after = ownershipOf(file);
            QCOMPARE((QList<int>{after.mode, after.owner, after.group}), ownership);
        }
        QVERIFY(com::ProbePort(1));
    }

    void portHeldElsewhereFallsBack()
    {
        TerminalHarness t;
        PseudoTerminal four;
        t.dir.pin(4, four);
        // Listed at load, taken by another program before it is chosen.
        t.window = nullptr;
        t.window = std::make_unique<Terminal>(t.messages);
        QSerialPort other(four.slavePath());
        QVERIFY(other.open(QIODevice::ReadWrite));
        t.pick("PortCmb", "4");
        QCOMPARE(t.messages.shown.size(), 1);
        QCOMPARE(t.messages.shown[0].text,
                 QStringLiteral("COMM port may be in use by another program!"));
        QCOMPARE(t.messages.shown[0].title, QStringLiteral("Error opening COM4!"));
        QCOMPARE(t.find<QComboBox>("PortCmb")->currentText(), QStringLiteral("1"));
        QVERIFY(t.window->VekComm().isOpen());
        QCOMPARE(t.window->VekComm().portNumber(), 1);
        // What the operator sends next goes to the port held, not the refused one.
        t.window->SendCommand("PL\r");
        QCOMPARE(t.device.read(3), QByteArray("PL\r"));
        QCOMPARE(four.sentSoFar(), QByteArray());
    }

    void aboutBoxOpensOnlyOnTheBareBackground_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("opens");
        QTest::newRow("bare background") << "" << true;
        QTest::newRow("a button") << "ExitCmd" << false;
        QTest::newRow("a frame") << "Frame2" << false;
    }

    void aboutBoxOpensOnlyOnTheBareBackground()
    {
        QFETCH(QString, target);
        QFETCH(bool, opens);
        TerminalHarness t;
        t.window->show();
        // Right of the Exit button's row, below the tab strip: nothing there.
        const QPoint bare(5, 440);
        QVERIFY(!t.window->childAt(bare));
        QWidget *under = target.isEmpty() ? t.window.get() : t.find<QWidget>(qPrintable(target));
        QTest::mouseDClick(under, Qt::LeftButton, {},
                           target.isEmpty() ? bare : under->rect().center());
        QCOMPARE(t.window->aboutBox() != nullptr, opens);
        if (!opens)
            return;
        QPointer<AboutBox> about = t.window->aboutBox();
        QTest::mouseDClick(t.window.get(), Qt::LeftButton, {}, bare);
        QCOMPARE(t.window->findChildren<AboutBox *>().size(), 1);
        QCOMPARE(about->findChild<QLabel *>("lblVersion")->text(), QStringLiteral("Version 1.0.4"));
        QVERIFY(!about->isModal());
        QTest::keyClick(about, Qt::Key_Escape);
        QTRY_VERIFY(!about);
    }

    void farEndFloodsOneMegabyteAtOnce_data()
    {
        QTest::addColumn<QByteArray>("view");
        QTest::addColumn<int>("charactersPerByte");
        QTest::newRow("Standard") << QByteArray("Standard") << 1;
        QTest::newRow("Hex") << QByteArray("Hex") << 4;
    }

    void farEndFloodsOneMegabyteAtOnce()
    {
        QFETCH(QByteArray, view);
        QFETCH(int, charactersPerByte);
        TerminalHarness t(iniWith("1", view));
        QByteArray flood(1 << 20, Qt::Uninitialized); // every byte value in turn
        for (qsizetype i = 0; i < flood.size(); ++i)
            flood[i] = char(i & 0xFF);
        t.device.write(flood);
        const qsizetype expected = sizeof kReceivedLabel - 1 + flood.size() * charactersPerByte;
        QTRY_COMPARE_WITH_TIMEOUT(t.logText().size(), expected, 20000);
        // All of it, in order, on one received line.
        QByteArray rendered(kReceivedLabel);
        renderBytes(rendered, flood, *viewModeFromText(QString::fromLatin1(view)));
        QVERIFY(t.logText() == rendered);
        QCOMPARE(t.window->logModel().lineCount(), 1);
        QVERIFY(t.messages.shown.isEmpty());
        QVERIFY(t.window->VekComm().isOpen());
        // The line still works both ways afterwards.
        t.window->SendCommand("PL\r");
        QCOMPARE(t.device.read(3), QByteArray("PL\r"));
    }

    // Under the font the package depends on; also run at 150 and 200 %.
    void everyTextFits_data()
    {
        QTest::addColumn<QString>("command"); // on the 8-Bit panel; none: Rapid Fire runs
        QTest::newRow("Rapid Fire running") << QString();
        for (const auto &command : showctl::kCommands)
            QTest::addRow("8-Bit panel showing %s", command.name) << command.name;
    }

    void everyTextFits()
    {
        QFETCH(QString, command);
        applyFormStyle(); // under the font the package depends on, never a stand-in
        QCOMPARE(QFontInfo(QApplication::font()).family(), QStringLiteral("DejaVu Sans"));
        test::TerminalHarness t;
        test::PseudoTerminal highest; // the widest number the port list can hold
        t.dir.pin(com::kHighestPort, highest);
        t.window = nullptr;
        t.window = std::make_unique<Terminal>(t.messages);
        t.window->CfgStrCmd_Click();
        t.window->SendCommand("A");
        command.isEmpty() ? t.click("RapidCmd") : t.pick("SCCmdCmb", command);
        const auto [checked, clipped] = checkTexts(t.window.get());
        QVERIFY(checked > 90);
        QCOMPARE(clipped, 0);
    }

    // Sizes asked for in turn ("max": maximised, "normal": restored) and the size the window ends
    // at; empty: the screen's, maximised. Also run at 150 and 200 %.
    void enlarged_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QSize>("size");
        QTest::newRow("opened: every control at its table place") << QStringList() << kSmallest;
        QTest::newRow("asked for less: the smallest") << QStringList{"300x200"} << kSmallest;
        QTest::newRow("1280 by 800") << QStringList{"1280x800"} << QSize(1280, 800);
        QTest::newRow("grown by odd pixels") << QStringList{"1000x777"} << QSize(1000, 777);
        QTest::newRow("maximised on a 1920 by 1080 screen") << QStringList{"max"} << QSize();
        QTest::newRow("3840 by 2160") << QStringList{"3840x2160"} << QSize(3840, 2160);
        QTest::newRow("maximised and restored: every control back at its table place")
            << QStringList{"max", "normal"} << kSmallest;
        QTest::newRow("3840 by 2160 and back to the smallest: every control at its table place")
            << QStringList{"3840x2160", "521x448"} << kSmallest;
    }

    void enlarged()
    {
        QFETCH(QStringList, steps);
        QFETCH(QSize, size);
        applyFormStyle();
        TerminalHarness t;
        Terminal &w = *t.window;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.minimumSize(), kSmallest);
        QCOMPARE(w.size(), kSmallest);
        const auto smallest = placesOf(&w);
        for (const QString &step : steps) {
            if (step == "max") {
                w.showMaximized();
                // The screen, less a pixel lost to rounding at 150 %.
                QTRY_VERIFY(w.isMaximized() && w.size() != kSmallest);
                const QSize short_ = w.screen()->availableGeometry().size() - w.frameSize();
                QVERIFY2(short_.width() >= 0 && short_.width() <= 1 && short_.height() >= 0 &&
                             short_.height() <= 1,
                         qPrintable(QString("%1 x %2").arg(short_.width()).arg(short_.height())));
            } else if (step == "normal") {
                w.showNormal();
                QTRY_VERIFY(!w.isMaximized());
            } else {
                const QSize asked(step.section('x', 0, 0).toInt(), step.section('x', 1).toInt());
                w.resize(asked);
                QTRY_COMPARE(w.size(), asked.expandedTo(kSmallest));
            }
        }
        if (!size.isEmpty())
            QTRY_COMPARE(w.size(), size);
        const auto now = placesOf(&w);
        // Where a pixel is not a whole number of device pixels, a control may stop a pixel short
        // of a far edge, on the device's grid.
        const qreal ratio = w.devicePixelRatio();
        const int slack = ratio == std::round(ratio) ? 0 : 1;
        QSet<const QWidget *> anchored;
        for (const auto &row : Terminal::kAnchors) {
            const auto *control = t.find<QWidget>(row.name);
            anchored.insert(control);
            const QRect was = smallest[control].rect, is = now[control].rect;
            const QSize from = smallest[control].parent, to = now[control].parent;
            QVERIFY2(followsAxis(was.x(), was.width(), from.width(), is.x(), is.width(), to.width(),
                                 row.edges & Qt::LeftEdge, row.edges & Qt::RightEdge, slack),
                     row.name);
            QVERIFY2(followsAxis(was.y(), was.height(), from.height(), is.y(), is.height(),
                                 to.height(), row.edges & Qt::TopEdge, row.edges & Qt::BottomEdge,
                                 slack),
                     row.name);
            QVERIFY2(QRect(QPoint(), to).contains(is), row.name);
            QVERIFY2(onDeviceGrid(control, &w), row.name);
        }
        // The log takes all the room gained, the custom line's field all the width.
        const QSize gained = w.size() - kSmallest;
        const QSize logGained = w.log()->size() - Terminal::kLogPlace.toPixels().size();
        const int fieldGained = now[t.find<QWidget>("CustomTxt")].rect.width() - 5535 / 15;
        for (const auto &[got, room] : {std::pair{logGained.width(), gained.width()},
                                        {logGained.height(), gained.height()},
                                        {fieldGained, gained.width()}})
            QVERIFY2(got <= room && got >= room - slack, qPrintable(QString::number(got)));
        for (const auto *child : w.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            QVERIFY2(child->isWindow() || anchored.contains(child),
                     qPrintable(child->objectName()));
        // The panels and the settings column keep their own layout; at the smallest every
        // control stands where its table puts it.
        for (auto [widget, place] : now.asKeyValueRange()) {
            if (const ControlSpec *row = specOf(widget);
                row && (!anchored.contains(widget) || w.size() == kSmallest))
                QVERIFY2(place.rect == row->place.toPixels(), row->name);
        }
        if (w.size() == kSmallest) {
            const QRect tabs = Terminal::kTabPlace.toPixels();
            const QRect strip = t.find<QWidget>("DeviceTab")->geometry();
            QCOMPARE(w.log()->geometry(), Terminal::kLogPlace.toPixels());
            QCOMPARE(strip, QRect(tabs.topLeft(), QSize(tabs.width(), strip.height())));
            QCOMPARE(t.find<QWidget>("DeviceTabPage")->geometry(),
                     QRect(QPoint(tabs.left(), strip.bottom()), tabs.bottomRight()));
            for (const auto &panel : kPanels)
                QCOMPARE(t.find<QWidget>(panel.frame)->geometry(), DevicePanel::kPlace.toPixels());
        }
        // No overlap larger than at the smallest: the log's tools on the log's lower frame line,
        // the panels on the tab page, the strip's tabs on the page's upper line, the Quick
        // Strings frame right of the tabs.
        for (const auto *parent : {static_cast<QWidget *>(&w), t.find<QWidget>("Frame1")}) {
            const auto siblings = parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
            for (const auto *a : siblings) {
                for (const auto *b : siblings) {
                    const QSize overlap = (now[a].rect & now[b].rect).size(),
                                was = (smallest[a].rect & smallest[b].rect).size();
                    if (a != b && !a->isWindow() && !b->isWindow())
                        QVERIFY2(overlap.width() <= was.width() && overlap.height() <= was.height(),
                                 qPrintable(a->objectName() + " over " + b->objectName()));
                }
            }
        }
        const auto [checked, clipped] = checkTexts(&w);
        QVERIFY(checked > 30);
        QCOMPARE(clipped, 0);
    }

    // Where the log stands after the window changed size, and once more lines came.
    void logAcrossSizes_data()
    {
        QTest::addColumn<int>("scrolledTo"); // -1: left at the end
        QTest::addColumn<QList<QSize>>("sizes");
        QTest::newRow("following, enlarged: follows") << -1 << QList<QSize>{{1280, 800}};
        QTest::newRow("following, enlarged and made small again: follows")
            << -1 << QList<QSize>{{1280, 800}, kSmallest};
        QTest::newRow("scrolled away, enlarged: the same top line")
            << 100 << QList<QSize>{{1280, 800}};
        QTest::newRow("scrolled away near the end, enlarged past it, made small: the same top line")
            << 1980 << QList<QSize>{{1280, 800}, kSmallest};
    }

    void logAcrossSizes()
    {
        QFETCH(int, scrolledTo);
        QFETCH(QList<QSize>, sizes);
        TerminalHarness t;
        t.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(t.window.get()));
        const auto *bar = t.window->log()->verticalScrollBar();
        const auto fill = [&](int lines) {
            for (int k = 0; k < lines; ++k)
                t.window->WriteLog("PL\r", Direction::Sent);
            QTRY_COMPARE(bar->maximum() + bar->pageStep(), t.window->logModel().lineCount());
        };
        fill(2000);
        if (scrolledTo >= 0)
            t.window->log()->verticalScrollBar()->setValue(scrolledTo);
        for (const QSize &size : sizes) {
            t.window->resize(size);
            QTRY_COMPARE(t.window->size(), size);
        }
        for (const int more : {0, 50}) {
            fill(more);
            QCOMPARE(bar->value(), scrolledTo < 0 ? bar->maximum() : scrolledTo);
        }
    }
};

QTEST_MAIN(TestTerminal)
#include "tst_terminal.moc"
