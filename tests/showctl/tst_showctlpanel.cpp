#include "terminalharness.h"

#include <QLabel>
#include <QTest>

using namespace zentrel::test;

namespace {

// A list's size and its first and last item; empty for an empty list.
QString summary(const QComboBox *list)
{
    if (list->count() == 0)
        return {};
    return QStringLiteral("%1 %2..%3")
        .arg(list->count())
        .arg(list->itemText(0), list->itemText(list->count() - 1));
}

} // namespace

class TestShowCtlPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_h.reset(); }

    void layoutFollowsCommand_data();
    void layoutFollowsCommand();
    void choosingACommandClearsItsData();
    void workedPacketsArrive_data();
    void workedPacketsArrive();
    void refusalsComeInOrder();

private:
    template <typename T> T *find(const char *name) const { return m_h->find<T>(name); }
    int labelWidth(const char *label) const { return find<QLabel>(label)->width() * 15; }
    void send() { m_h->click("SCSetCmd"); }
    QByteArray arrived(const QByteArray &packet) { return m_h->device.read(packet.size()); }

    std::unique_ptr<TerminalHarness> m_h;
};

void TestShowCtlPanel::init()
{
    m_h = std::make_unique<TerminalHarness>();
    QVERIFY(m_h->device.isValid());
    m_h->window->show();
    m_h->clickTab(4);
    QVERIFY(find<QWidget>("EightBitFrm")->isVisible());
}

// Each position as "caption: what it shows", "text" for the text field or
// the list's summary; empty where the command shows nothing.
void TestShowCtlPanel::layoutFollowsCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("data1");
    QTest::addColumn<QString>("data2");

    const char *variables = "Variable Index: 26 1..26";
    const char *operands = "Value or Variable Index: 282 0..Variable 26";
    const char *outputs = "Output Index: 64 1..64";
    const char *frames = ": 255 1 Frame..255 Frames";
    const char *outputsAndFlags = "Output or Flag Index: 128 Output 1..Flag 64";
    const char *sequences = "Sequence Index: 256 1..256";
    const char *ports = "Serial Port: 18 1..18";
    const auto row = [](const char *command, const QString &data1, const QString &data2) {
        QTest::newRow(command) << command << data1 << data2;
    };
    row("AddVar", variables, operands);
    row("Blink", outputs, QStringLiteral("Blink Period") + frames);
    row("Display", "Display Message: text", "");
    row("MessageOut", ports, "Message: text");
    row("Off", outputsAndFlags, "");
    row("On", outputsAndFlags, "");
    row("Outport", "Output Bank Index: 2 1..2", "Value: 256 0..255");
    row("Pause", sequences, "");
    row("Pulse", outputs, QStringLiteral("Pulse Duration") + frames);
    row("Reset", sequences, "");
    row("SendVar", ports, variables);
    row("SendVersion", "", "");
    row("SetVarEQ", variables, operands);
    row("ShowFlags", "Flag Bank: 2 1..2", "");
    row("ShowVar", variables, "");
    row("Start", sequences, "");
    row("Stop", sequences, "");
    row("SubVar", variables, operands);
    row("Toggle", outputsAndFlags, "");
}

void TestShowCtlPanel::layoutFollowsCommand()
{
    QFETCH(QString, command);
    QFETCH(QString, data1);
    QFETCH(QString, data2);

    // From a command that shows lists in both places, so every change shows.
    m_h->pick("SCCmdCmb", "Blink");
    m_h->pick("SCCmdCmb", command);
    QCOMPARE(find<QComboBox>("SCCmdCmb")->currentText(), command);

    for (const auto &[n, expected] : {std::pair{'1', data1}, std::pair{'2', data2}}) {
        const QByteArray name = QByteArray("SCData") + n;
        auto *label = find<QLabel>(name + "Lbl");
        auto *list = find<QComboBox>(name + "Cmb");
        auto *text = find<QLineEdit>(name + "Txt");
        const QString shows = expected.section(QStringLiteral(": "), 1);
        QCOMPARE(label->isVisible(), !expected.isEmpty());
        QCOMPARE(label->text(), expected.section(QStringLiteral(": "), 0, 0));
        QCOMPARE(text->isVisible(), shows == "text");
        QCOMPARE(list->isVisible(), !shows.isEmpty() && shows != "text");
        QCOMPARE(summary(list), list->isVisible() ? shows : QString());
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(text->text(), QString());
    }
}

void TestShowCtlPanel::choosingACommandClearsItsData()
{
    m_h->pick("TargetAdrCmb", "9");
    m_h->pick("ResponseCmb", "ACK, NACK");
    m_h->pick("SCCmdCmb", "Blink");
    m_h->pick("SCData1Cmb", "12");
    m_h->pick("SCData2Cmb", "3 Frames");
    m_h->pick("SCCmdCmb", "Blink");
    QCOMPARE(find<QComboBox>("SCData1Cmb")->currentText(), QString());
    QCOMPARE(find<QComboBox>("SCData2Cmb")->currentText(), QString());
    QCOMPARE(find<QComboBox>("SCData2Cmb")->count(), 255);
    QCOMPARE(find<QComboBox>("TargetAdrCmb")->currentText(), QString("9"));
    QCOMPARE(find<QComboBox>("ResponseCmb")->currentText(), QString("ACK, NACK"));

    // The message commands widen their label, and the next command undoes it.
    m_h->pick("SCCmdCmb", "MessageOut");
    QCOMPARE(labelWidth("SCData2Lbl"), 2895);
    QTest::keyClicks(find<QLineEdit>("SCData2Txt"), "\"Go\"");
    m_h->pick("SCCmdCmb", "Display");
    QVERIFY(!find<QLineEdit>("SCData2Txt")->isVisible());
    QCOMPARE(find<QLineEdit>("SCData2Txt")->text(), QString());
    QCOMPARE(labelWidth("SCData2Lbl"), 1455);
    QCOMPARE(labelWidth("SCData1Lbl"), 4695);
    QCOMPARE(find<QLineEdit>("SCData1Txt")->text(), QString());

    QTest::keyClicks(find<QLineEdit>("SCData1Txt"), "\"Hello\"");
    m_h->pick("SCCmdCmb", "Display");
    QCOMPARE(find<QLineEdit>("SCData1Txt")->text(), QString());
    m_h->pick("SCCmdCmb", "Blink");
    QCOMPARE(labelWidth("SCData1Lbl"), 1575);
}

void TestShowCtlPanel::workedPacketsArrive_data()
{
    QTest::addColumn<QStringList>("fields"); // target, response, command, data 1, data 2
    QTest::addColumn<QByteArray>("packet");

    const QString ack = "ACK, NACK", msg = "Msg.+ACK,NACK";
    const auto row = [](const char *name, const QStringList &fields, const char *hex) {
        QTest::newRow(name) << fields << QByteArray::fromHex(hex);
    };
    row("on output 1", {"1", ack, "On", "Output 1"}, "F5 01 01 02 02 00 06");
    row("add variable 26", {"1", ack, "AddVar", "3", "Variable 26"}, "F5 01 01 03 38 02 19 58");
    // The text fields, typed.
    row("display", {"20", ack, "Display", "\"Show\" h0d"}, "F5 14 01 06 0C 53 68 6F 77 0D D5");
    row("message out", {"30", msg, "MessageOut", "3", "\"Go\""}, "F5 1E 02 04 0D 03 47 6F EA");
}

void TestShowCtlPanel::workedPacketsArrive()
{
    QFETCH(QStringList, fields);
    QFETCH(QByteArray, packet);

    m_h->pick("TargetAdrCmb", fields.value(0));
    m_h->pick("ResponseCmb", fields.value(1));
    m_h->pick("SCCmdCmb", fields.value(2));
    for (const int n : {1, 2}) {
        const QByteArray name = "SCData" + QByteArray::number(n);
        if (find<QComboBox>(name + "Cmb")->isVisible())
            m_h->pick(name + "Cmb", fields.value(2 + n));
        else if (find<QLineEdit>(name + "Txt")->isVisible())
            QTest::keyClicks(find<QLineEdit>(name + "Txt"), fields.value(2 + n));
    }
    send();
    QCOMPARE(arrived(packet).toHex(' '), packet.toHex(' '));
    QCOMPARE(m_h->messages.texts(), QStringList());
}

void TestShowCtlPanel::refusalsComeInOrder()
{
    // The main window fills the target list, yet chooses nothing.
    QCOMPARE(summary(find<QComboBox>("TargetAdrCmb")), QString("122 0..121"));
    const struct
    {
        const char *message;
        const char *list; // what to choose after the refusal
        const char *item;
    } steps[] = {
        {"Select target Show Controller address!", "TargetAdrCmb", "12"},
        {"Select Show Controller response!", "ResponseCmb", "ACK, NACK"},
        {"Select Show Controller command!", "SCCmdCmb", "Blink"},
        {"Enter Output Index!", "SCData1Cmb", "64"},
        {"Enter Blink Period!", "SCData2Cmb", "255 Frames"},
    };
    QStringList expected;
    for (const auto &step : steps) {
        send();
        expected.append(step.message);
        QCOMPARE(m_h->messages.texts(), expected);
        m_h->pick(step.list, step.item);
    }
    send();
    QCOMPARE(m_h->messages.texts(), expected);
    // Had a refused press sent anything, it would arrive ahead of the packet.
    const QByteArray packet = QByteArray::fromHex("F5 0C 01 03 04 3F FF 52");
    QCOMPARE(arrived(packet).toHex(' '), packet.toHex(' '));
    QCOMPARE(find<QComboBox>("SCData2Cmb")->currentText(), QString("255 Frames"));
}

QTEST_MAIN(TestShowCtlPanel)
#include "tst_showctlpanel.moc"
