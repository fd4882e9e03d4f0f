#include "showcontrollerdevice.h"

#include <QTest>

using namespace zentrel::sim;

namespace {

const QByteArray kAck(1, ShowControllerDevice::kAck);
const QByteArray kNack(1, ShowControllerDevice::kNack);

// A framed packet with its checksum, the body given in hex.
QByteArray packet(uchar target, uchar mode, const char *body)
{
    QByteArray bytes = QByteArray::fromHex(body);
    bytes.prepend(char(bytes.size())).prepend(char(mode)).prepend(char(target));
    uint sum = 0;
    for (const char c : bytes)
        sum += uchar(c);
    return char(0xF5) + bytes + char(sum & 0xFF);
}

QByteArray replies(SimDevice &device, QByteArrayView input, bool thenQuiet = true)
{
    QByteArray all;
    for (const auto &exchange : device.feed(input))
        all += exchange.reply;
    for (const auto &exchange : thenQuiet ? device.lineIdle() : QList<Exchange>())
        all += exchange.reply;
    return all;
}

} // namespace

class TestShowControllerDevice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void workedPackets_data();
    void workedPackets();
    void badPackets_data();
    void badPackets();
    void responseModes_data();
    void responseModes();
    void packetArrivingByteByByte();
    void junkBeforeAGoodPacket();
    void packetForAnotherControllerIsIgnored();
    void variablesAreKept();
};

void TestShowControllerDevice::workedPackets_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("ending");
    const auto row = [](const char *name, int address, const char *hex, const QByteArray &end) {
        QTest::newRow(name) << address << QByteArray::fromHex(hex) << end;
    };
    row("on output 1, ACK", 1, "F5 01 01 02 02 00 06", kAck);
    row("send version, none", 0, "F5 00 00 01 42 43", "");
    row("toggle flag 1, message", 5, "F5 05 02 02 06 40 4F", "\r" + kAck);
    row("add 200 to variable 3, none", 1, "F5 01 00 03 2F 02 C8 FD", "");
    row("add variable 26 to variable 3", 1, "F5 01 01 03 38 02 19 58", kAck);
    row("outport bank 2, checksum wraps", 121, "F5 79 02 03 20 01 FF 9E", "\r" + kAck);
    row("blink output 64 for 255 frames", 12, "F5 0C 01 03 04 3F FF 52", kAck);
}

void TestShowControllerDevice::workedPackets()
{
    QFETCH(int, address);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, ending);
    ShowControllerDevice device(address);
    const QByteArray reply = replies(device, input);
    QVERIFY2(reply.endsWith(ending), reply.toHex(' ').constData());
    QCOMPARE(reply.isEmpty(), ending.isEmpty());
}

void TestShowControllerDevice::badPackets_data()
{
    QTest::addColumn<QByteArray>("input");
    const auto row = [](const char *name, const QByteArray &input) {
        QTest::newRow(name) << input;
    };
    row("wrong checksum", QByteArray::fromHex("F5 01 01 02 02 00 07"));
    row("checksum that counts the start byte", QByteArray::fromHex("F5 01 01 02 02 00 FB"));
    row("bad checksum for another target", QByteArray::fromHex("F5 02 01 02 02 00 00"));
    row("missing start byte", QByteArray::fromHex("01 01 02 02 00 06"));
    row("truncated before the checksum", QByteArray::fromHex("F5 01 01 02 02 00"));
    row("truncated before the length", QByteArray::fromHex("F5 01 01"));
    row("length one too long for On", packet(1, 1, "02 00 00"));
    row("length one too short for Blink", packet(1, 1, "04 00"));
    row("length zero", packet(1, 1, ""));
    row("unknown opcode", packet(1, 1, "77"));
    row("unknown response mode", packet(1, 3, "42"));
    row("output or flag 129", packet(1, 1, "02 80"));
    row("output 65 in blink", packet(1, 1, "04 40 01"));
    row("blink of 0 frames", packet(1, 1, "04 00 00"));
    row("variable 27", packet(1, 1, "3A 1A"));
    row("bank 3", packet(1, 1, "1C 02"));
    row("serial port 0", packet(1, 1, "0D 00 41"));
    row("message out without message", packet(1, 1, "0D 01"));
    row("send var with one operand", packet(1, 1, "13 01"));
}

void TestShowControllerDevice::badPackets()
{
    QFETCH(QByteArray, input);
    ShowControllerDevice device(1);
    QCOMPARE(replies(device, input), kNack);
}

// None answers nothing, ACK, NACK the ACK, the message mode a line first.
void TestShowControllerDevice::responseModes_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("send version") << QByteArray("42") << QByteArray("SHOWCTL SIM 1.0\r");
    QTest::newRow("on output 3") << QByteArray("02 02") << QByteArray("output 3 on\r");
    QTest::newRow("message out of port 18")
        << QByteArray("0D 12 48 69") << QByteArray("message sent\r");
    QTest::newRow("send var without operands")
        << QByteArray("13") << QByteArray("no variable named\r");
}

void TestShowControllerDevice::responseModes()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, message);
    ShowControllerDevice device(1);
    QCOMPARE(replies(device, packet(1, 0, body)), QByteArray());
    QCOMPARE(replies(device, packet(1, 1, body)), kAck);
    QCOMPARE(replies(device, packet(1, 2, body)), message + kAck);
}

void TestShowControllerDevice::packetArrivingByteByByte()
{
    ShowControllerDevice device(1);
    QByteArray all;
    for (const char c : packet(1, 1, "05 04 FF"))
        all += replies(device, QByteArrayView(&c, 1), false);
    QCOMPARE(all, kAck);
}

void TestShowControllerDevice::junkBeforeAGoodPacket()
{
    ShowControllerDevice device(1);
    QCOMPARE(replies(device, QByteArray::fromHex("00 11") + packet(1, 1, "42"), false),
             kNack + kAck);
}

void TestShowControllerDevice::packetForAnotherControllerIsIgnored()
{
    ShowControllerDevice device(1);
    QCOMPARE(replies(device, packet(2, 1, "42")), QByteArray());
    QCOMPARE(replies(device, packet(2, 1, "77")), QByteArray());
}

void TestShowControllerDevice::variablesAreKept()
{
    ShowControllerDevice device(1);
    replies(device, packet(1, 0, "28 02 C8")); // variable 3 = 200
    replies(device, packet(1, 0, "2F 02 64")); // variable 3 += 100
    replies(device, packet(1, 0, "31 04 02")); // variable 5 = variable 3
    QCOMPARE(replies(device, packet(1, 2, "3A 04")), QByteArray("variable 5 = 44\r") + kAck);
}

QTEST_GUILESS_MAIN(TestShowControllerDevice)
#include "tst_showcontrollerdevice.moc"
