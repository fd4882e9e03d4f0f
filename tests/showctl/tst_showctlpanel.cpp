#include "app/formtable.h"
#include "app/terminal.h"
#include "appdirectory.h"
#include "pseudoterminal.h"
#include "recordingmessages.h"
#include "showctl/showctllayout.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <memory>

using namespace zentrel;

namespace {

// A main window on its own program directory, with port 1 a pseudo-terminal
// that the settings file selects.
struct Rig
{
    Rig()
    {
        dir.pin(1, pty);
        dir.writeIni("Port: 1\r\nView: Standard\r\nString 1: \r\nString 2: \r\nString 3: \r\n"
                     "String 4: \r\nString 5: \r\n");
        term = std::make_unique<Terminal>(messages);
        term->show();
    }

    test::AppDirectory dir;
    test::PseudoTerminal pty;
    test::RecordingMessages messages;
    std::unique_ptr<Terminal> term;
};

QStringList itemsOf(const QComboBox *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->itemText(i));
    return items;
}

} // namespace

class TestShowCtlPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void controlsAtStart_data();
    void controlsAtStart();
    void listsAtStart();
    void layoutFollowsCommand_data();
    void layoutFollowsCommand();
    void choosingACommandClearsItsData();
    void workedPacketsArrive_data();
    void workedPacketsArrive();
    void refusalsComeInOrder();
    void emptyTextFieldsAreNamed_data();
    void emptyTextFieldsAreNamed();
    void hiddenFieldIsNeitherTestedNorRead();

private:
    QWidget *panel() const { return control<QWidget>(m_rig->term.get(), "EightBitFrm"); }
    template <typename T> T *find(const char *name) const { return control<T>(panel(), name); }
    void openTab();
    void choose(const char *list, const QString &item);
    void send() { QTest::mouseClick(find<QPushButton>("SCSetCmd"), Qt::LeftButton); }

    std::unique_ptr<Rig> m_rig;
};

void TestShowCtlPanel::init()
{
    m_rig = std::make_unique<Rig>();
    QVERIFY(m_rig->pty.isValid());
    openTab();
}

void TestShowCtlPanel::cleanup()
{
    m_rig.reset();
}

void TestShowCtlPanel::openTab()
{
    auto *tabs = control<QTabBar>(m_rig->term.get(), "DeviceTab");
    QCOMPARE(tabs->tabText(4), QString(" 8-Bit"));
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(4).center());
    QVERIFY(panel()->isVisible());
}

// As the operator does it from the keyboard: open the list, walk down to
// the item, press Return.
void TestShowCtlPanel::choose(const char *name, const QString &item)
{
    auto *list = find<QComboBox>(name);
    const int index = list->findText(item, Qt::MatchExactly);
    QVERIFY2(index >= 0, qPrintable(item));
    list->showPopup();
    QAbstractItemView *view = list->view();
    QTest::keyClick(view, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(list->currentText(), item);
}

void TestShowCtlPanel::controlsAtStart_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("bold");

    const char *fileTip = "Enter file number to select here.";
    const struct
    {
        const char *name, *caption, *tooltip;
        Twips place;
        bool shown, bold;
    } rows[] = {
        {"TargetAdrLbl", "Target Address:", "", {120, 190, 1455, 315}, true, true},
        {"TargetAdrCmb", "", "", {1500, 120, 735, 315}, true, false},
        {"ResponseLbl", "Response:", "", {120, 580, 975, 315}, true, true},
        {"ResponseCmb", "", "", {1050, 480, 1695, 315}, true, false},
        {"SCSetCmd", "Send", "", {120, 1200, 615, 315}, true, true},
        {"SCCmdCmb", "", "", {960, 1200, 1455, 315}, true, false},
        {"SCData1Lbl", "", "", {2520, 960, 1575, 255}, false, false},
        {"SCData1Cmb", "", "", {2520, 1200, 1575, 315}, false, false},
        {"SCData1Txt", "", fileTip, {2520, 1200, 4695, 315}, false, false},
        {"SCData2Lbl", "", "", {4200, 960, 1455, 255}, false, false},
        {"SCData2Cmb", "", "", {4200, 1200, 1455, 315}, false, false},
        {"SCData2Txt", "", fileTip, {4200, 1200, 3015, 315}, false, false},
    };
    for (const auto &row : rows) {
        QTest::newRow(row.name) << row.name << row.caption << row.tooltip << row.place.toPixels()
                                << row.shown << row.bold;
    }
}

void TestShowCtlPanel::controlsAtStart()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, tooltip);
    QFETCH(QRect, place);
    QFETCH(bool, shown);
    QFETCH(bool, bold);

    auto *widget = find<QWidget>(qPrintable(name));
    QCOMPARE(widget->geometry(), place);
    QCOMPARE(widget->isVisible(), shown);
    QCOMPARE(widget->toolTip(), tooltip);
    QCOMPARE(widget->font().bold(), bold);
    if (auto *label = qobject_cast<QLabel *>(widget))
        QCOMPARE(label->text(), caption);
    if (auto *button = qobject_cast<QPushButton *>(widget))
        QCOMPARE(button->text(), caption);
    if (auto *list = qobject_cast<QComboBox *>(widget))
        QCOMPARE(list->currentText(), QString());
    if (auto *field = qobject_cast<QLineEdit *>(widget)) {
        QCOMPARE(field->text(), QString());
        QCOMPARE(field->maxLength(), 255);
    }
}

void TestShowCtlPanel::listsAtStart()
{
    const QStringList targets = itemsOf(find<QComboBox>("TargetAdrCmb"));
    QCOMPARE(targets.size(), 122);
    QCOMPARE(targets.first(), QString("0"));
    QCOMPARE(targets.at(7), QString("7"));
    QCOMPARE(targets.last(), QString("121"));
    QCOMPARE(itemsOf(find<QComboBox>("ResponseCmb")),
             (QStringList{"None", "ACK, NACK", "Msg.+ACK,NACK"}));
    QCOMPARE(itemsOf(find<QComboBox>("SCCmdCmb")), showctl::commandNames());
    QCOMPARE(find<QComboBox>("SCData1Cmb")->count(), 0);
    QCOMPARE(find<QComboBox>("SCData2Cmb")->count(), 0);
}

void TestShowCtlPanel::layoutFollowsCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("shows1"); // "list", "text" or ""
    QTest::addColumn<QString>("caption1");
    QTest::addColumn<int>("width1");
    QTest::addColumn<QString>("shows2");
    QTest::addColumn<QString>("caption2");
    QTest::addColumn<int>("width2");

    const struct
    {
        const char *command, *shows1, *caption1;
        int width1;
        const char *shows2, *caption2;
        int width2;
    } rows[] = {
        {"AddVar", "list", "Variable Index", 1575, "list", "Value or Variable Index", 1455},
        {"Blink", "list", "Output Index", 1575, "list", "Blink Period", 1455},
        {"Display", "text", "Display Message", 4695, "", "", 1455},
        {"MessageOut", "list", "Serial Port", 1575, "text", "Message", 2895},
        {"Off", "list", "Output or Flag Index", 1575, "", "", 1455},
        {"On", "list", "Output or Flag Index", 1575, "", "", 1455},
        {"Outport", "list", "Output Bank Index", 1575, "list", "Value", 1455},
        {"Pause", "list", "Sequence Index", 1575, "", "", 1455},
        {"Pulse", "list", "Output Index", 1575, "list", "Pulse Duration", 1455},
        {"Reset", "list", "Sequence Index", 1575, "", "", 1455},
        {"SendVar", "list", "Serial Port", 1575, "list", "Variable Index", 1455},
        {"SendVersion", "", "", 1575, "", "", 1455},
        {"SetVarEQ", "list", "Variable Index", 1575, "list", "Value or Variable Index", 1455},
        {"ShowFlags", "list", "Flag Bank", 1575, "", "", 1455},
        {"ShowVar", "list", "Variable Index", 1575, "", "", 1455},
        {"Start", "list", "Sequence Index", 1575, "", "", 1455},
        {"Stop", "list", "Sequence Index", 1575, "", "", 1455},
        {"SubVar", "list", "Variable Index", 1575, "list", "Value or Variable Index", 1455},
        {"Toggle", "list", "Output or Flag Index", 1575, "", "", 1455},
    };
    for (const auto &row : rows) {
        QTest::newRow(row.command) << row.command << row.shows1 << row.caption1 << row.width1
                                   << row.shows2 << row.caption2 << row.width2;
    }
}

void TestShowCtlPanel::layoutFollowsCommand()
{
    QFETCH(QString, command);
    QFETCH(QString, shows1);
    QFETCH(QString, caption1);
    QFETCH(int, width1);
    QFETCH(QString, shows2);
    QFETCH(QString, caption2);
    QFETCH(int, width2);

    // From a command that shows lists in both places, so every change shows.
    choose("SCCmdCmb", "Blink");
    choose("SCCmdCmb", command);

    const auto layout = showctl::commandLayout(command);
    QVERIFY(layout);
    const struct
    {
        const char *label, *list, *text;
        QString shows, caption;
        int width;
        QStringList items;
    } positions[] = {
        {"SCData1Lbl", "SCData1Cmb", "SCData1Txt", shows1, caption1, width1, layout->data1.items},
        {"SCData2Lbl", "SCData2Cmb", "SCData2Txt", shows2, caption2, width2, layout->data2.items},
    };
    for (const auto &position : positions) {
        auto *label = find<QLabel>(position.label);
        auto *list = find<QComboBox>(position.list);
        auto *text = find<QLineEdit>(position.text);
        QCOMPARE(label->isVisible(), !position.shows.isEmpty());
        QCOMPARE(label->text(), position.caption);
        QCOMPARE(label->width(), position.width / 15);
        QCOMPARE(list->isVisible(), position.shows == "list");
        QCOMPARE(text->isVisible(), position.shows == "text");
        QCOMPARE(itemsOf(list), position.items);
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(text->text(), QString());
    }
}

void TestShowCtlPanel::choosingACommandClearsItsData()
{
    choose("TargetAdrCmb", "9");
    choose("ResponseCmb", "ACK, NACK");
    choose("SCCmdCmb", "Blink");
    choose("SCData1Cmb", "12");
    choose("SCData2Cmb", "3 Frames");

    choose("SCCmdCmb", "Blink");
    QCOMPARE(find<QComboBox>("SCData1Cmb")->currentText(), QString());
    QCOMPARE(find<QComboBox>("SCData2Cmb")->currentText(), QString());
    QCOMPARE(find<QComboBox>("SCData2Cmb")->count(), 255);
    QCOMPARE(find<QComboBox>("TargetAdrCmb")->currentText(), QString("9"));
    QCOMPARE(find<QComboBox>("ResponseCmb")->currentText(), QString("ACK, NACK"));

    choose("SCCmdCmb", "MessageOut");
    QTest::keyClicks(find<QLineEdit>("SCData2Txt"), "\"Go\"");
    choose("SCCmdCmb", "Display");
    QVERIFY(!find<QLineEdit>("SCData2Txt")->isVisible());
    QCOMPARE(find<QLineEdit>("SCData2Txt")->text(), QString());
    QCOMPARE(find<QLabel>("SCData2Lbl")->width(), 1455 / 15);
    QCOMPARE(find<QLineEdit>("SCData1Txt")->text(), QString());

    QTest::keyClicks(find<QLineEdit>("SCData1Txt"), "\"Hello\"");
    choose("SCCmdCmb", "Display");
    QCOMPARE(find<QLineEdit>("SCData1Txt")->text(), QString());
}

void TestShowCtlPanel::workedPacketsArrive_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("response");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("data1");
    QTest::addColumn<QString>("data2");
    QTest::addColumn<QByteArray>("packet");

    const char *ack = "ACK, NACK", *msg = "Msg.+ACK,NACK";
    const struct
    {
        const char *name, *target, *response, *command, *data1, *data2, *packet;
    } rows[] = {
        {"on output 1", "1", ack, "On", "Output 1", "", "F5 01 01 02 02 00 06"},
        {"send version", "0", "None", "SendVersion", "", "", "F5 00 00 01 42 43"},
        {"toggle flag 1", "5", msg, "Toggle", "Flag 1", "", "F5 05 02 02 06 40 4F"},
        {"add value 200", "1", "None", "AddVar", "3", "200", "F5 01 00 03 2F 02 C8 FD"},
        {"add variable 26", "1", ack, "AddVar", "3", "Variable 26", "F5 01 01 03 38 02 19 58"},
        {"outport bank 2 value 255", "121", msg, "Outport", "2", "255", "F5 79 02 03 20 01 FF 9E"},
        {"blink 64 for 255 frames", "12", ack, "Blink", "64", "255 Frames",
         "F5 0C 01 03 04 3F FF 52"},
        // The text fields, typed.
        {"display", "20", ack, "Display", "\"Show\" h0d", "", "F5 14 01 06 0C 53 68 6F 77 0D D5"},
        {"message out", "30", msg, "MessageOut", "3", "\"Go\"", "F5 1E 02 04 0D 03 47 6F EA"},
        {"send variable 5 to port 2", "6", ack, "SendVar", "2", "5", "F5 06 01 03 13 02 04 23"},
    };
    for (const auto &row : rows) {
        QTest::newRow(row.name) << row.target << row.response << row.command << row.data1
                                << row.data2 << QByteArray::fromHex(row.packet);
    }
}

void TestShowCtlPanel::workedPacketsArrive()
{
    QFETCH(QString, target);
    QFETCH(QString, response);
    QFETCH(QString, command);
    QFETCH(QString, data1);
    QFETCH(QString, data2);
    QFETCH(QByteArray, packet);

    choose("TargetAdrCmb", target);
    choose("ResponseCmb", response);
    choose("SCCmdCmb", command);
    const struct
    {
        const char *list, *text;
        QString value;
    } positions[] = {{"SCData1Cmb", "SCData1Txt", data1}, {"SCData2Cmb", "SCData2Txt", data2}};
    for (const auto &position : positions) {
        if (find<QComboBox>(position.list)->isVisible())
            choose(position.list, position.value);
        else if (find<QLineEdit>(position.text)->isVisible())
            QTest::keyClicks(find<QLineEdit>(position.text), position.value);
    }
    send();

    QCOMPARE(m_rig->pty.read(packet.size()).toHex(' '), packet.toHex(' '));
    QCOMPARE(m_rig->messages.texts(), QStringList());
    QCOMPARE(m_rig->term->LastCommand(), packet);
}

void TestShowCtlPanel::refusalsComeInOrder()
{
    const struct
    {
        const char *list; // what to choose after the refusal
        const char *item;
        const char *message;
    } steps[] = {
        {"TargetAdrCmb", "12", "Select target Show Controller address!"},
        {"ResponseCmb", "ACK, NACK", "Select Show Controller response!"},
        {"SCCmdCmb", "Blink", "Select Show Controller command!"},
        {"SCData1Cmb", "64", "Enter Output Index!"},
        {"SCData2Cmb", "255 Frames", "Enter Blink Period!"},
    };
    QStringList expected;
    for (const auto &step : steps) {
        send();
        expected.append(step.message);
        QCOMPARE(m_rig->messages.texts(), expected);
        choose(step.list, step.item);
    }
    send();
    QCOMPARE(m_rig->messages.texts(), expected);
    // Had a refused press sent anything, it would arrive ahead of the packet.
    const QByteArray packet = QByteArray::fromHex("F5 0C 01 03 04 3F FF 52");
    QCOMPARE(m_rig->pty.read(packet.size()).toHex(' '), packet.toHex(' '));
    QCOMPARE(find<QComboBox>("SCData2Cmb")->currentText(), QString("255 Frames"));
}

void TestShowCtlPanel::emptyTextFieldsAreNamed_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("refusal");

    QTest::newRow("display without text") << "Display"
                                          << ""
                                          << ""
                                          << "Enter Display Message!";
    QTest::newRow("message out without text") << "MessageOut"
                                              << ""
                                              << ""
                                              << "Enter Message!";
    QTest::newRow("message with unclosed quote") << "MessageOut"
                                                 << ""
                                                 << "\"Go"
                                                 << "Invalid string format!";
    QTest::newRow("display with a bad escape") << "Display"
                                               << "hx1"
                                               << ""
                                               << "Invalid hex value!";
}

void TestShowCtlPanel::emptyTextFieldsAreNamed()
{
    QFETCH(QString, command);
    QFETCH(QString, message);
    QFETCH(QString, typed);
    QFETCH(QString, refusal);

    choose("TargetAdrCmb", "1");
    choose("ResponseCmb", "None");
    choose("SCCmdCmb", command);
    if (command == "MessageOut") {
        choose("SCData1Cmb", "1");
        QTest::keyClicks(find<QLineEdit>("SCData2Txt"), typed);
    } else {
        QTest::keyClicks(find<QLineEdit>("SCData1Txt"), message);
    }
    send();
    QCOMPARE(m_rig->messages.texts(), QStringList{refusal});
    QCOMPARE(m_rig->term->LastCommand(), QByteArray());
}

void TestShowCtlPanel::hiddenFieldIsNeitherTestedNorRead()
{
    choose("TargetAdrCmb", "1");
    choose("ResponseCmb", "None");
    choose("SCCmdCmb", "ShowVar");
    choose("SCData1Cmb", "26");
    // Nothing an operator can reach, but a hidden field must not count.
    find<QLineEdit>("SCData2Txt")->setText("\"unclosed");
    send();

    const QByteArray packet = QByteArray::fromHex("F5 01 00 02 3A 19 56");
    QCOMPARE(m_rig->pty.read(packet.size()).toHex(' '), packet.toHex(' '));
    QCOMPARE(m_rig->messages.texts(), QStringList());
}

QTEST_MAIN(TestShowCtlPanel)
#include "tst_showctlpanel.moc"
