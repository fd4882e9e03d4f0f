#include "showcontrollerdevice.h"

#include <QTest>

using namespace zentrel::sim;

namespace {

const QByteArray kAck(1, ShowControllerDevice::kAck);
const QByteArray kNack(1, ShowControllerDevice::kNack);

// A framed packet with its checksum, for the cases the worked packets do not
// cover.
QByteArray packet(uchar target, uchar mode, QByteArray body)
{
    QByteArray bytes;
    bytes.append(char(target)).append(char(mode)).append(char(body.size())).append(body);
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
    if (thenQuiet) {
        for (const auto &exchange : device.lineIdle())
            all += exchange.reply;
    }
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
    void reportGivesTargetModeCommandDataAndVerdict();
};

void TestShowControllerDevice::workedPackets_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("ending");

    QTest::newRow("on output 1, ACK") << 1 << QByteArray::fromHex("F5 01 01 02 02 00 06") << kAck;
    QTest::newRow("send version, none")
        << 0 << QByteArray::fromHex("F5 00 00 01 42 43") << QByteArray();
    QTest::newRow("toggle flag 1, message")
        << 5 << QByteArray::fromHex("F5 05 02 02 06 40 4F") << ("\r" + kAck);
    QTest::newRow("add 200 to variable 3, none")
        << 1 << QByteArray::fromHex("F5 01 00 03 2F 02 C8 FD") << QByteArray();
    QTest::newRow("add variable 26 to variable 3")
        << 1 << QByteArray::fromHex("F5 01 01 03 38 02 19 58") << kAck;
    QTest::newRow("outport bank 2, checksum wraps")
        << 121 << QByteArray::fromHex("F5 79 02 03 20 01 FF 9E") << ("\r" + kAck);
    QTest::newRow("blink output 64 for 255 frames")
        << 12 << QByteArray::fromHex("F5 0C 01 03 04 3F FF 52") << kAck;
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

    QTest::newRow("wrong checksum") << QByteArray::fromHex("F5 01 01 02 02 00 07");
    QTest::newRow("checksum that counts the start byte")
        << QByteArray::fromHex("F5 01 01 02 02 00 FB");
    QTest::newRow("missing start byte") << QByteArray::fromHex("01 01 02 02 00 06");
    QTest::newRow("truncated before the checksum") << QByteArray::fromHex("F5 01 01 02 02 00");
    QTest::newRow("truncated before the length") << QByteArray::fromHex("F5 01 01");
    QTest::newRow("lone start byte") << QByteArray::fromHex("F5");
    QTest::newRow("length one too long for On") << packet(1, 1, QByteArray::fromHex("02 00 00"));
    QTest::newRow("length one too short for Blink") << packet(1, 1, QByteArray::fromHex("04 00"));
    QTest::newRow("length zero") << packet(1, 1, {});
    QTest::newRow("unknown opcode") << packet(1, 1, QByteArray::fromHex("77"));
    QTest::newRow("unknown response mode") << packet(1, 3, QByteArray::fromHex("42"));
    QTest::newRow("output or flag 129") << packet(1, 1, QByteArray::fromHex("02 80"));
    QTest::newRow("output 65 in blink") << packet(1, 1, QByteArray::fromHex("04 40 01"));
    QTest::newRow("blink of 0 frames") << packet(1, 1, QByteArray::fromHex("04 00 00"));
    QTest::newRow("variable 27") << packet(1, 1, QByteArray::fromHex("3A 1A"));
    QTest::newRow("bank 3") << packet(1, 1, QByteArray::fromHex("1C 02"));
    QTest::newRow("serial port 0") << packet(1, 1, QByteArray::fromHex("0D 00 41"));
    QTest::newRow("serial port 19") << packet(1, 1, QByteArray::fromHex("0D 13 41"));
    QTest::newRow("message out without message") << packet(1, 1, QByteArray::fromHex("0D 01"));
    QTest::newRow("display without text") << packet(1, 1, QByteArray::fromHex("0C"));
    QTest::newRow("send var with one operand") << packet(1, 1, QByteArray::fromHex("13 01"));
    QTest::newRow("bad checksum for another target") << QByteArray::fromHex("F5 02 01 02 02 00 00");
}

void TestShowControllerDevice::badPackets()
{
    QFETCH(QByteArray, input);

    ShowControllerDevice device(1);
    QCOMPARE(replies(device, input), kNack);
}

void TestShowControllerDevice::responseModes_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("none");
    QTest::addColumn<QByteArray>("ack");
    QTest::addColumn<QByteArray>("message");

    QTest::newRow("send version") << QByteArray::fromHex("42") << QByteArray() << kAck
                                  << QByteArray("SHOWCTL SIM 1.0\r") + kAck;
    QTest::newRow("on output 3") << QByteArray::fromHex("02 02") << QByteArray() << kAck
                                 << QByteArray("output 3 on\r") + kAck;
    QTest::newRow("display text") << QByteArray("\x0CHi") << QByteArray() << kAck
                                  << QByteArray("displayed\r") + kAck;
    QTest::newRow("message out of port 18")
        << QByteArray("\x0D\x12Hi") << QByteArray() << kAck << QByteArray("message sent\r") + kAck;
    QTest::newRow("send var without operands") << QByteArray::fromHex("13") << QByteArray() << kAck
                                               << QByteArray("no variable named\r") + kAck;
    QTest::newRow("start sequence 256") << QByteArray::fromHex("18 FF") << QByteArray() << kAck
                                        << QByteArray("start sequence 256\r") + kAck;
}

void TestShowControllerDevice::responseModes()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, none);
    QFETCH(QByteArray, ack);
    QFETCH(QByteArray, message);

    ShowControllerDevice device(1);
    QCOMPARE(replies(device, packet(1, 0, body)), none);
    QCOMPARE(replies(device, packet(1, 1, body)), ack);
    QCOMPARE(replies(device, packet(1, 2, body)), message);
}

void TestShowControllerDevice::packetArrivingByteByByte()
{
    ShowControllerDevice device(1);
    QByteArray all;
    for (const char c : packet(1, 1, QByteArray::fromHex("05 04 FF")))
        all += replies(device, QByteArrayView(&c, 1), false);
    QCOMPARE(all, kAck);
}

void TestShowControllerDevice::junkBeforeAGoodPacket()
{
    ShowControllerDevice device(1);
    QCOMPARE(replies(device, QByteArray::fromHex("00 11") + packet(1, 1, "\x42"), false),
             kNack + kAck);
}

void TestShowControllerDevice::packetForAnotherControllerIsIgnored()
{
    ShowControllerDevice device(1);
    QCOMPARE(replies(device, packet(2, 1, "\x42")), QByteArray());
    QCOMPARE(replies(device, packet(2, 1, "\x77")), QByteArray());
}

void TestShowControllerDevice::variablesAreKept()
{
    ShowControllerDevice device(1);
    replies(device, packet(1, 0, QByteArray::fromHex("28 02 C8"))); // variable 3 = 200
    replies(device, packet(1, 0, QByteArray::fromHex("2F 02 64"))); // variable 3 += 100
    replies(device, packet(1, 0, QByteArray::fromHex("31 04 02"))); // variable 5 = variable 3
    QCOMPARE(replies(device, packet(1, 2, QByteArray::fromHex("3A 04"))),
             QByteArray("variable 5 = 44\r") + kAck);
}

void TestShowControllerDevice::reportGivesTargetModeCommandDataAndVerdict()
{
    ShowControllerDevice device(1);
    const auto good = device.feed(QByteArray::fromHex("F5 01 01 02 02 00 06"));
    QCOMPARE(good.size(), 1);
    QCOMPARE(good[0].report, QStringLiteral("packet F5 01 01 02 02 00 06: target 1, response "
                                            "ACK/NACK, On, data 00, checksum ok: output 1 on "
                                            "-> <06>"));
    const auto bad = device.feed(QByteArray::fromHex("F5 01 01 02 02 00 07"));
    QCOMPARE(bad.size(), 1);
    QVERIFY2(bad[0].report.contains(QStringLiteral("checksum wrong")), qPrintable(bad[0].report));
    QVERIFY2(bad[0].report.endsWith(QStringLiteral("NACK <15>")), qPrintable(bad[0].report));
}

QTEST_GUILESS_MAIN(TestShowControllerDevice)
#include "tst_showcontrollerdevice.moc"
