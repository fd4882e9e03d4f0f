#include "showctl/showctlencoder.h"

#include <QTest>

using namespace zentrel::showctl;

namespace {

const QString N = QStringLiteral("None");
const QString A = QStringLiteral("ACK, NACK");
const QString M = QStringLiteral("Msg.+ACK,NACK");

// One press of Send: target, response, command, data 1, data 2 (trailing
// empty texts may be left out), and the packet in hex or the refusal.
void row(const char *name, const QStringList &fields, const QString &expected)
{
    QTest::newRow(name) << fields << expected;
}

QString bytesOfA(int count)
{
    return QStringLiteral("h41").repeated(count);
}

zentrel::CommandResult press(const QStringList &f)
{
    return encodePacket({f.value(0), f.value(1), f.value(2), f.value(3), f.value(4)});
}

} // namespace

class TestShowCtlEncoder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void packets_data();
    void packets();
    void refusals_data();
    void refusals();
};

void TestShowCtlEncoder::packets_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("expected");
    // The worked packets of the controller's protocol.
    row("on output 1", {"1", A, "On", "Output 1"}, "F5 01 01 02 02 00 06");
    row("send version, None still a byte", {"0", N, "SendVersion"}, "F5 00 00 01 42 43");
    row("toggle flag 1 is 0x40", {"5", M, "Toggle", "Flag 1"}, "F5 05 02 02 06 40 4F");
    row("add a number", {"1", N, "AddVar", "3", "200"}, "F5 01 00 03 2F 02 C8 FD");
    row("add a variable", {"1", A, "AddVar", "3", "Variable 26"}, "F5 01 01 03 38 02 19 58");
    row("checksum wraps", {"121", M, "Outport", "2", "255"}, "F5 79 02 03 20 01 FF 9E");
    row("blink output 64 is 0x3F", {"12", A, "Blink", "64", "255 Frames"},
        "F5 0C 01 03 04 3F FF 52");
    // Every other opcode, and the edges of each value.
    row("set to a number", {"2", A, "SetVarEQ", "1", "255"}, "F5 02 01 03 28 00 FF 2D");
    row("set to variable 1 is 0x00", {"2", A, "SetVarEQ", "2", "Variable 1"},
        "F5 02 01 03 31 01 00 38");
    row("subtract a number", {"3", M, "SubVar", "26", "17"}, "F5 03 02 03 30 19 11 62");
    row("subtract a variable", {"3", M, "SubVar", "1", "Variable 26"}, "F5 03 02 03 39 00 19 5A");
    row("variable found in any case", {"1", N, "AddVar", "1", "variable 5"},
        "F5 01 00 03 38 00 04 40");
    row("pulse for one frame", {"4", A, "Pulse", "1", "1 Frame"}, "F5 04 01 03 05 00 01 0E");
    row("display text and escape", {"7", N, "Display", "\"Hi\" h0d"}, "F5 07 00 04 0C 48 69 0D D5");
    row("message out port 1 is 0x01, zero byte kept", {"7", A, "MessageOut", "1", "\"Hi\"h00"},
        "F5 07 01 05 0D 01 48 69 00 CC");
    row("off output 64 is 0x3F", {"8", N, "Off", "Output 64"}, "F5 08 00 02 03 3F 4C");
    row("off flag 64 is 0x7F", {"8", N, "Off", "Flag 64"}, "F5 08 00 02 03 7F 8C");
    row("output found in any case", {"1", N, "On", "output 3"}, "F5 01 00 02 02 02 07");
    row("pause sequence 256 is 0xFF", {"10", N, "Pause", "256"}, "F5 0A 00 02 1A FF 25");
    row("reset sequence 1", {"10", N, "Reset", "1"}, "F5 0A 00 02 1B 00 27");
    row("start sequence 100", {"10", A, "Start", "100"}, "F5 0A 01 02 18 63 88");
    row("stop sequence 256", {"10", M, "Stop", "256"}, "F5 0A 02 02 19 FF 26");
    row("send variable 26 to port 18", {"11", N, "SendVar", "18", "26"}, "F5 0B 00 03 13 12 19 4C");
    row("show flag bank 2", {"12", N, "ShowFlags", "2"}, "F5 0C 00 02 1C 01 2B");
    row("show variable 1 is 0x00", {"13", N, "ShowVar", "1"}, "F5 0D 00 02 3A 00 49");
    row("fields the command leaves empty are not read", {"0", N, "SendVersion", "junk", "\""},
        "F5 00 00 01 42 43");
    // The most a one-byte length can count.
    row("display of 254 bytes has length 0xFF", {"1", N, "Display", bytesOfA(254)},
        "F5 01 00 FF 0C " + QString("41 ").repeated(254) + "8A");
    row("message out of 253 bytes has length 0xFF", {"1", N, "MessageOut", "1", bytesOfA(253)},
        "F5 01 00 FF 0D 01 " + QString("41 ").repeated(253) + "4B");
}

void TestShowCtlEncoder::packets()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, expected);
    const auto result = press(fields);
    QCOMPARE(result.refusal, QString());
    QCOMPARE(result.bytes.toHex(' ').toUpper(), expected.toLatin1());
}

void TestShowCtlEncoder::refusals_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("expected");
    // Only the first missing choice is named, in this order.
    row("target first", {}, "Select target Show Controller address!");
    row("then the response", {"1"}, "Select Show Controller response!");
    row("then the command", {"1", A}, "Select Show Controller command!");
    row("then data 1", {"1", A, "Blink"}, "Enter Output Index!");
    row("then data 2", {"1", A, "Blink", "3"}, "Enter Blink Period!");
    row("empty field before bad message", {"1", A, "MessageOut", "", "\""}, "Enter Serial Port!");
    // Every other caption a data field can ask for.
    row("variable index", {"1", A, "AddVar"}, "Enter Variable Index!");
    row("operand", {"1", A, "SetVarEQ", "1"}, "Enter Value or Variable Index!");
    row("display message", {"1", A, "Display"}, "Enter Display Message!");
    row("message", {"1", A, "MessageOut", "1"}, "Enter Message!");
    row("output or flag", {"1", A, "Off"}, "Enter Output or Flag Index!");
    row("output bank", {"1", A, "Outport"}, "Enter Output Bank Index!");
    row("value", {"1", A, "Outport", "1"}, "Enter Value!");
    row("sequence", {"1", A, "Pause"}, "Enter Sequence Index!");
    row("pulse duration", {"1", A, "Pulse", "1"}, "Enter Pulse Duration!");
    row("variable to send", {"1", A, "SendVar", "1"}, "Enter Variable Index!");
    row("flag bank", {"1", A, "ShowFlags"}, "Enter Flag Bank!");
    // Values none of the lists offers count as not chosen.
    row("target 122", {"122", A, "On", "Output 1"}, "Select target Show Controller address!");
    row("response compared exactly", {"1", "none", "On", "Output 1"},
        "Select Show Controller response!");
    row("command compared exactly", {"1", A, "on", "Output 1"}, "Select Show Controller command!");
    row("output 65", {"1", A, "On", "Output 65"}, "Enter Output or Flag Index!");
    row("flag 0", {"1", A, "Off", "Flag 0"}, "Enter Output or Flag Index!");
    row("sequence 0", {"1", A, "Start", "0"}, "Enter Sequence Index!");
    row("sequence 257", {"1", A, "Stop", "257"}, "Enter Sequence Index!");
    row("variable 27", {"1", A, "SubVar", "1", "Variable 27"}, "Enter Value or Variable Index!");
    row("value 256", {"1", A, "Outport", "1", "256"}, "Enter Value!");
    row("zero frames", {"1", A, "Pulse", "1", "0 Frames"}, "Enter Pulse Duration!");
    row("frames without the word", {"1", A, "Blink", "1", "25"}, "Enter Blink Period!");
    // The notation's own refusals pass through.
    row("unclosed quote", {"1", A, "Display", "\"abc"}, "Invalid string format!");
    row("short escape", {"1", A, "MessageOut", "1", "h4"}, "Invalid hex value!");
    // One byte more than the length can count.
    row("display of 255 bytes", {"1", N, "Display", bytesOfA(255)}, "Message too long!");
    row("message out of 254 bytes", {"1", N, "MessageOut", "1", bytesOfA(254)},
        "Message too long!");
    // The notation reports nothing for these, and nothing may go out either.
    row("display of stray characters only", {"1", N, "Display", " , H0D"}, "");
    row("message out of empty quotes", {"1", N, "MessageOut", "1", "\"\""}, "");
}

void TestShowCtlEncoder::refusals()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, expected);
    const auto result = press(fields);
    QCOMPARE(result.refusal, expected);
    QCOMPARE(result.bytes, QByteArray());
}

QTEST_GUILESS_MAIN(TestShowCtlEncoder)
#include "tst_showctlencoder.moc"
