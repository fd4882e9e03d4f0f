#include "showctl/showctlencoder.h"

#include <QTest>

using namespace zentrel::showctl;

namespace {

// One press of Send: the five field texts, the response mode abbreviated
// ('N' None, 'A' ACK, NACK, 'M' Msg.+ACK,NACK, ' ' not chosen).
struct Press
{
    const char *name;
    const char *target;
    char response;
    const char *command;
    const char *data1;
    const char *data2;
    const char *expected; // packet bytes in hex, or the refusal
};

QString responseText(char mode)
{
    switch (mode) {
    case 'N':
        return QStringLiteral("None");
    case 'A':
        return QStringLiteral("ACK, NACK");
    case 'M':
        return QStringLiteral("Msg.+ACK,NACK");
    }
    return {};
}

void addColumns()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("response");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("data1");
    QTest::addColumn<QString>("data2");
    QTest::addColumn<QString>("expected");
}

void addRow(const Press &p)
{
    QTest::newRow(p.name) << p.target << responseText(p.response) << p.command << p.data1 << p.data2
                          << p.expected;
}

PacketFields fieldsOf(const QString &target, const QString &response, const QString &command,
                      const QString &data1, const QString &data2)
{
    return {target, response, command, data1, data2};
}

} // namespace

class TestShowCtlEncoder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void packets_data();
    void packets();
    void longMessages_data();
    void longMessages();
    void refusals_data();
    void refusals();
    void messageThatConvertsToNothingSendsNothing_data();
    void messageThatConvertsToNothingSendsNothing();
};

void TestShowCtlEncoder::packets_data()
{
    addColumns();
    const Press rows[] = {
        // The worked packets of the controller's protocol.
        {"on output 1", "1", 'A', "On", "Output 1", "", "F5 01 01 02 02 00 06"},
        {"send version has only the opcode", "0", 'N', "SendVersion", "", "", "F5 00 00 01 42 43"},
        {"toggle flag 1 is 0x40", "5", 'M', "Toggle", "Flag 1", "", "F5 05 02 02 06 40 4F"},
        {"add a number", "1", 'N', "AddVar", "3", "200", "F5 01 00 03 2F 02 C8 FD"},
        {"add a variable", "1", 'A', "AddVar", "3", "Variable 26", "F5 01 01 03 38 02 19 58"},
        {"checksum wraps", "121", 'M', "Outport", "2", "255", "F5 79 02 03 20 01 FF 9E"},
        {"blink output 64 is 0x3F", "12", 'A', "Blink", "64", "255 Frames",
         "F5 0C 01 03 04 3F FF 52"},
        // Every other opcode, and the edges of each value.
        {"add to variable 26 value 0", "0", 'N', "AddVar", "26", "0", "F5 00 00 03 2F 19 00 4B"},
        {"set to a number", "2", 'A', "SetVarEQ", "1", "255", "F5 02 01 03 28 00 FF 2D"},
        {"set to variable 1 is 0x00", "2", 'A', "SetVarEQ", "2", "Variable 1",
         "F5 02 01 03 31 01 00 38"},
        {"subtract a number", "3", 'M', "SubVar", "26", "17", "F5 03 02 03 30 19 11 62"},
        {"subtract a variable", "3", 'M', "SubVar", "1", "Variable 26", "F5 03 02 03 39 00 19 5A"},
        {"variable found in any case", "1", 'N', "AddVar", "1", "variable 5",
         "F5 01 00 03 38 00 04 40"},
        {"blink for one frame", "4", 'N', "Blink", "1", "1 Frame", "F5 04 00 03 04 00 01 0C"},
        {"pulse for two frames", "4", 'A', "Pulse", "64", "2 Frames", "F5 04 01 03 05 3F 02 4E"},
        {"display text and escape", "7", 'N', "Display", "\"Hi\" h0d", "",
         "F5 07 00 04 0C 48 69 0D D5"},
        {"message out port 1 is 0x01", "7", 'A', "MessageOut", "1", "\"Hi\"h0d",
         "F5 07 01 05 0D 01 48 69 0D D9"},
        {"message out zero byte", "7", 'A', "MessageOut", "18", "h00", "F5 07 01 03 0D 12 00 2A"},
        {"off output 64 is 0x3F", "8", 'N', "Off", "Output 64", "", "F5 08 00 02 03 3F 4C"},
        {"off flag 64 is 0x7F", "8", 'N', "Off", "Flag 64", "", "F5 08 00 02 03 7F 8C"},
        {"on flag 64", "8", 'A', "On", "Flag 64", "", "F5 08 01 02 02 7F 8C"},
        {"output found in any case", "1", 'N', "On", "output 3", "", "F5 01 00 02 02 02 07"},
        {"toggle output 1", "8", 'M', "Toggle", "Output 1", "", "F5 08 02 02 06 00 12"},
        {"outport bank 1 value 0", "9", 'N', "Outport", "1", "0", "F5 09 00 03 20 00 00 2C"},
        {"pause sequence 256 is 0xFF", "10", 'N', "Pause", "256", "", "F5 0A 00 02 1A FF 25"},
        {"reset sequence 1", "10", 'N', "Reset", "1", "", "F5 0A 00 02 1B 00 27"},
        {"start sequence 100", "10", 'A', "Start", "100", "", "F5 0A 01 02 18 63 88"},
        {"stop sequence 256", "10", 'M', "Stop", "256", "", "F5 0A 02 02 19 FF 26"},
        {"send variable 1 to port 1", "11", 'N', "SendVar", "1", "1", "F5 0B 00 03 13 01 00 22"},
        {"send variable 26 to port 18", "11", 'N', "SendVar", "18", "26",
         "F5 0B 00 03 13 12 19 4C"},
        {"show flag bank 1", "12", 'N', "ShowFlags", "1", "", "F5 0C 00 02 1C 00 2A"},
        {"show flag bank 2", "12", 'N', "ShowFlags", "2", "", "F5 0C 00 02 1C 01 2B"},
        {"show variable 1 is 0x00", "13", 'N', "ShowVar", "1", "", "F5 0D 00 02 3A 00 49"},
        {"show variable 26", "13", 'N', "ShowVar", "26", "", "F5 0D 00 02 3A 19 62"},
        // A position the command leaves empty is never looked at.
        {"hidden second field ignored", "13", 'N', "ShowVar", "26", "h", "F5 0D 00 02 3A 19 62"},
        {"hidden fields ignored", "0", 'N', "SendVersion", "junk", "\"", "F5 00 00 01 42 43"},
    };
    for (const auto &row : rows)
        addRow(row);
}

void TestShowCtlEncoder::packets()
{
    QFETCH(QString, target);
    QFETCH(QString, response);
    QFETCH(QString, command);
    QFETCH(QString, data1);
    QFETCH(QString, data2);
    QFETCH(QString, expected);

    const auto result = encodePacket(fieldsOf(target, response, command, data1, data2));
    QCOMPARE(result.refusal, QString());
    QCOMPARE(result.bytes.toHex(' ').toUpper(), expected.toLatin1());
}

// The most a one-byte length can count, and one byte more.
void TestShowCtlEncoder::longMessages_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("messageBytes");
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<QString>("refusal");

    const QByteArray a254(254, 'A'), a253(253, 'A');
    QTest::newRow("display of 254 bytes has length 0xFF")
        << "Display" << 254 << QByteArray::fromHex("F50100FF0C") + a254 + char(0x8A) << "";
    QTest::newRow("message out of 253 bytes has length 0xFF")
        << "MessageOut" << 253 << QByteArray::fromHex("F50100FF0D01") + a253 + char(0x4B) << "";
    QTest::newRow("display of 255 bytes refused")
        << "Display" << 255 << QByteArray() << "Message too long!";
    QTest::newRow("message out of 254 bytes refused")
        << "MessageOut" << 254 << QByteArray() << "Message too long!";
}

void TestShowCtlEncoder::longMessages()
{
    QFETCH(QString, command);
    QFETCH(int, messageBytes);
    QFETCH(QByteArray, packet);
    QFETCH(QString, refusal);

    const QString message = QStringLiteral("h41").repeated(messageBytes);
    const auto result = command == "Display"
                            ? encodePacket(fieldsOf("1", "None", command, message, ""))
                            : encodePacket(fieldsOf("1", "None", command, "1", message));
    QCOMPARE(result.refusal, refusal);
    QCOMPARE(result.bytes, packet);
}

void TestShowCtlEncoder::refusals_data()
{
    addColumns();
    const Press rows[] = {
        // Only the first missing choice is named, in this order.
        {"target first", "", ' ', "", "", "", "Select target Show Controller address!"},
        {"then the response", "1", ' ', "", "", "", "Select Show Controller response!"},
        {"then the command", "1", 'A', "", "", "", "Select Show Controller command!"},
        {"then data 1", "1", 'A', "Blink", "", "", "Enter Output Index!"},
        {"then data 2", "1", 'A', "Blink", "3", "", "Enter Blink Period!"},
        {"empty field before bad message", "1", 'A', "MessageOut", "", "\"", "Enter Serial Port!"},
        // Every caption a data field can ask for.
        {"variable index", "1", 'A', "AddVar", "", "", "Enter Variable Index!"},
        {"operand", "1", 'A', "SetVarEQ", "1", "", "Enter Value or Variable Index!"},
        {"display message", "1", 'A', "Display", "", "", "Enter Display Message!"},
        {"message", "1", 'A', "MessageOut", "1", "", "Enter Message!"},
        {"output or flag", "1", 'A', "Off", "", "", "Enter Output or Flag Index!"},
        {"output bank", "1", 'A', "Outport", "", "", "Enter Output Bank Index!"},
        {"value", "1", 'A', "Outport", "1", "", "Enter Value!"},
        {"sequence", "1", 'A', "Pause", "", "", "Enter Sequence Index!"},
        {"pulse duration", "1", 'A', "Pulse", "1", "", "Enter Pulse Duration!"},
        {"serial port", "1", 'A', "SendVar", "", "", "Enter Serial Port!"},
        {"variable to send", "1", 'A', "SendVar", "1", "", "Enter Variable Index!"},
        {"flag bank", "1", 'A', "ShowFlags", "", "", "Enter Flag Bank!"},
        // Values none of the lists offers count as not chosen.
        {"target 122", "122", 'A', "On", "Output 1", "", "Select target Show Controller address!"},
        {"target not a number", "x", 'A', "On", "Output 1", "",
         "Select target Show Controller address!"},
        {"command compared exactly", "1", 'A', "on", "Output 1", "",
         "Select Show Controller command!"},
        {"output 65", "1", 'A', "On", "Output 65", "", "Enter Output or Flag Index!"},
        {"flag 0", "1", 'A', "Off", "Flag 0", "", "Enter Output or Flag Index!"},
        {"sequence 0", "1", 'A', "Start", "0", "", "Enter Sequence Index!"},
        {"sequence 257", "1", 'A', "Stop", "257", "", "Enter Sequence Index!"},
        {"variable 27", "1", 'A', "SubVar", "1", "Variable 27", "Enter Value or Variable Index!"},
        {"value 256", "1", 'A', "Outport", "1", "256", "Enter Value!"},
        {"zero frames", "1", 'A', "Pulse", "1", "0 Frames", "Enter Pulse Duration!"},
        {"frames without the word", "1", 'A', "Blink", "1", "25", "Enter Blink Period!"},
        {"serial port 19", "1", 'A', "SendVar", "19", "1", "Enter Serial Port!"},
        // The notation's own refusals pass through.
        {"unclosed quote", "1", 'A', "Display", "\"abc", "", "Invalid string format!"},
        {"short escape", "1", 'A', "MessageOut", "1", "h4", "Invalid hex value!"},
    };
    for (const auto &row : rows)
        addRow(row);
    QTest::newRow("response compared exactly") << "1"
                                               << "none"
                                               << "On"
                                               << "Output 1"
                                               << ""
                                               << "Select Show Controller response!";
}

void TestShowCtlEncoder::refusals()
{
    QFETCH(QString, target);
    QFETCH(QString, response);
    QFETCH(QString, command);
    QFETCH(QString, data1);
    QFETCH(QString, data2);
    QFETCH(QString, expected);

    const auto result = encodePacket(fieldsOf(target, response, command, data1, data2));
    QCOMPARE(result.refusal, expected);
    QCOMPARE(result.bytes, QByteArray());
}

void TestShowCtlEncoder::messageThatConvertsToNothingSendsNothing_data()
{
    QTest::addColumn<QString>("message");
    QTest::newRow("stray characters only") << " , H0D";
    QTest::newRow("empty quotes") << "\"\"";
}

void TestShowCtlEncoder::messageThatConvertsToNothingSendsNothing()
{
    QFETCH(QString, message);
    for (const auto &fields : {fieldsOf("1", "None", "Display", message, ""),
                               fieldsOf("1", "None", "MessageOut", "1", message)}) {
        const auto result = encodePacket(fields);
        QCOMPARE(result.refusal, QString());
        QCOMPARE(result.bytes, QByteArray());
    }
}

QTEST_GUILESS_MAIN(TestShowCtlEncoder)
#include "tst_showctlencoder.moc"
