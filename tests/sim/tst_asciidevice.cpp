#include "devicefactory.h"

#include <QRegularExpression>
#include <QTest>

using namespace zentrel::sim;

namespace {

QByteArray replies(SimDevice &device, QByteArrayView input)
{
    QByteArray all;
    for (const auto &exchange : device.feed(input))
        all += exchange.reply;
    return all;
}

} // namespace

class TestAsciiDevice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answers_data();
    void answers();
    void requestsAnswerAValue_data();
    void requestsAnswerAValue();
    void requestArrivingInPieces();
    void newUnitIdTakesEffect();
    void settingsAreRemembered();
    void reportNamesUnitCommandAndReply();
};

void TestAsciiDevice::answers_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("unit");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");

    const QString p2 = QStringLiteral("pelvox2");
    const QString hd = QStringLiteral("pelvoxhd");
    const QString wendlo = QStringLiteral("wendlo");
    const QString orba = QStringLiteral("orbalite");

    // Unit-ID filtering.
    QTest::newRow("no prefix answers") << p2 << 1 << QByteArray("PL\r") << QByteArray("R\r");
    QTest::newRow("own unit answers") << p2 << 1 << QByteArray("1@PL\r") << QByteArray("R\r");
    QTest::newRow("own unit with leading zeros")
        << p2 << 7 << QByteArray("007@PL\r") << QByteArray("R\r");
    QTest::newRow("star answers") << p2 << 3 << QByteArray("*@PL\r") << QByteArray("R\r");
    QTest::newRow("other unit is silent") << p2 << 1 << QByteArray("5@PL\r") << QByteArray();
    QTest::newRow("other unit silent on unknown command")
        << p2 << 1 << QByteArray("5@ZZ\r") << QByteArray();
    QTest::newRow("digit and star is no unit of ours")
        << p2 << 1 << QByteArray("1*@PL\r") << QByteArray();
    QTest::newRow("prefix honoured by every family")
        << wendlo << 2 << QByteArray("1@?V\r") << QByteArray();
    QTest::newRow("four-digit prefix is no prefix")
        << p2 << 1 << QByteArray("1234@PL\r") << QByteArray("E\r");

    // Framing.
    QTest::newRow("nothing before the carriage return")
        << p2 << 1 << QByteArray("PL") << QByteArray();
    QTest::newRow("line feed after CR ignored")
        << p2 << 1 << QByteArray("PL\r\nPA\r\n") << QByteArray("R\rR\r");
    QTest::newRow("empty line refused") << p2 << 1 << QByteArray("\r") << QByteArray("E\r");
    QTest::newRow("unknown command refused") << p2 << 1 << QByteArray("ZZ\r") << QByteArray("E\r");
    QTest::newRow("lower case is unknown") << p2 << 1 << QByteArray("pl\r") << QByteArray("E\r");
    QTest::newRow("argument where none belongs")
        << p2 << 1 << QByteArray("5PL\r") << QByteArray("E\r");

    // Pelvox2.
    QTest::newRow("p2 search") << p2 << 1 << QByteArray("00012SE\r") << QByteArray("R\r");
    QTest::newRow("p2 search without file") << p2 << 1 << QByteArray("SE\r") << QByteArray("E\r");
    QTest::newRow("p2 mute audio") << p2 << 1 << QByteArray("0AD\r") << QByteArray("R\r");
    QTest::newRow("p2 unmute video") << p2 << 1 << QByteArray("1VD\r") << QByteArray("R\r");
    QTest::newRow("p2 mute needs 0 or 1") << p2 << 1 << QByteArray("2VD\r") << QByteArray("E\r");
    QTest::newRow("p2 sample rate next file")
        << p2 << 1 << QByteArray("5AR\r") << QByteArray("R\r");
    QTest::newRow("p2 sample rate beyond 5") << p2 << 1 << QByteArray("6AR\r") << QByteArray("E\r");
    QTest::newRow("p2 unit ID 126 set") << p2 << 1 << QByteArray("126ID\r") << QByteArray("R\r");
    QTest::newRow("p2 unit ID 127 refused")
        << p2 << 1 << QByteArray("127ID\r") << QByteArray("E\r");
    QTest::newRow("p2 subnet mask set")
        << p2 << 1 << QByteArray("255.255.255.0SM\r") << QByteArray("R\r");
    QTest::newRow("p2 all-zero address refused")
        << p2 << 1 << QByteArray("0.0.0.0SM\r") << QByteArray("E\r");
    QTest::newRow("p2 part above 255 refused")
        << p2 << 1 << QByteArray("10.0.0.256GW\r") << QByteArray("E\r");
    QTest::newRow("p2 three parts refused")
        << p2 << 1 << QByteArray("10.0.1IP\r") << QByteArray("E\r");
    QTest::newRow("p2 DHCP") << p2 << 1 << QByteArray("DHCPIP\r") << QByteArray("R\r");
    QTest::newRow("p2 soft reboot") << p2 << 1 << QByteArray("XX\r") << QByteArray("R\r");
    QTest::newRow("p2 has no debug mode") << p2 << 1 << QByteArray("1DM\r") << QByteArray("E\r");

    // Pelvox/HD.
    QTest::newRow("hd video format")
        << hd << 1 << QByteArray("\"1080i25-16:9\"VD\r") << QByteArray("R\r");
    QTest::newRow("hd short format name")
        << hd << 1 << QByteArray("\"PAL\"VD\r") << QByteArray("R\r");
    QTest::newRow("hd unknown format")
        << hd << 1 << QByteArray("\"SECAM\"VD\r") << QByteArray("E\r");
    QTest::newRow("hd unquoted format") << hd << 1 << QByteArray("PALVD\r") << QByteArray("E\r");
    QTest::newRow("hd video mute") << hd << 1 << QByteArray("0VD\r") << QByteArray("R\r");
    QTest::newRow("hd debug on") << hd << 1 << QByteArray("1DM\r") << QByteArray("R\r");
    QTest::newRow("hd colour space") << hd << 1 << QByteArray("0VC\r") << QByteArray("R\r");
    QTest::newRow("hd set IP") << hd << 1 << QByteArray("192.168.0.20IP\r") << QByteArray("R\r");
    QTest::newRow("hd has no unit ID command")
        << hd << 1 << QByteArray("ID\r") << QByteArray("E\r");

    // 8Wendlo.
    QTest::newRow("wendlo assign") << wendlo << 1 << QByteArray("253SE\r") << QByteArray("R\r");
    QTest::newRow("wendlo assign to all")
        << wendlo << 1 << QByteArray("25*SE\r") << QByteArray("R\r");
    QTest::newRow("wendlo assign needs a file")
        << wendlo << 1 << QByteArray("3SE\r") << QByteArray("E\r");
    QTest::newRow("wendlo file 512 refused")
        << wendlo << 1 << QByteArray("5123SE\r") << QByteArray("E\r");
    QTest::newRow("wendlo file 1511 taken")
        << wendlo << 1 << QByteArray("15113PL\r") << QByteArray("R\r");
    QTest::newRow("wendlo file 1000 refused")
        << wendlo << 1 << QByteArray("10003LP\r") << QByteArray("E\r");
    QTest::newRow("wendlo play without file")
        << wendlo << 1 << QByteArray("8PL\r") << QByteArray("R\r");
    QTest::newRow("wendlo channel 9 refused")
        << wendlo << 1 << QByteArray("9PL\r") << QByteArray("E\r");
    QTest::newRow("wendlo play needs a channel")
        << wendlo << 1 << QByteArray("PL\r") << QByteArray("E\r");
    QTest::newRow("wendlo mute channel 2")
        << wendlo << 1 << QByteArray("02AD\r") << QByteArray("R\r");
    QTest::newRow("wendlo reset channel")
        << wendlo << 1 << QByteArray("5RJ\r") << QByteArray("R\r");
    QTest::newRow("wendlo keylock on") << wendlo << 1 << QByteArray("0KL\r") << QByteArray("R\r");
    QTest::newRow("wendlo keylock 2 refused")
        << wendlo << 1 << QByteArray("2KL\r") << QByteArray("E\r");

    // Orbalite.
    QTest::newRow("orbalite volume 7") << orba << 1 << QByteArray("7AD\r") << QByteArray("R\r");
    QTest::newRow("orbalite rename")
        << orba << 1 << QByteArray("SONG1MP3NEWMP3RN\r") << QByteArray("R\r");
    QTest::newRow("orbalite rename without names")
        << orba << 1 << QByteArray("RN\r") << QByteArray("E\r");
    QTest::newRow("orbalite format") << orba << 1 << QByteArray("FO\r") << QByteArray("R\r");
    QTest::newRow("orbalite search") << orba << 1 << QByteArray("7SE\r") << QByteArray("R\r");
    QTest::newRow("orbalite has no still") << orba << 1 << QByteArray("ST\r") << QByteArray("E\r");
}

void TestAsciiDevice::answers()
{
    QFETCH(QString, family);
    QFETCH(int, unit);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);

    const auto device = makeDevice(family, unit);
    QCOMPARE(replies(*device, input), expected);
}

void TestAsciiDevice::requestsAnswerAValue_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QString>("pattern");

    const QString p2 = QStringLiteral("pelvox2");
    QTest::newRow("p2 unit ID is its own") << p2 << QByteArray("ID\r") << QStringLiteral("^1\\r$");
    QTest::newRow("p2 IP address")
        << p2 << QByteArray("IP\r") << QStringLiteral("^(\\d+\\.){3}\\d+\\r$");
    QTest::newRow("p2 gateway") << p2 << QByteArray("GW\r")
                                << QStringLiteral("^(\\d+\\.){3}\\d+\\r$");
    QTest::newRow("p2 subnet mask")
        << p2 << QByteArray("SM\r") << QStringLiteral("^(\\d+\\.){3}\\d+\\r$");
    QTest::newRow("p2 file list of several lines")
        << p2 << QByteArray("LS\r") << QStringLiteral("^([^\\r]+\\r){2,}$");
    QTest::newRow("p2 version") << p2 << QByteArray("?V\r")
                                << QStringLiteral("^[^\\r]*\\d\\.\\d[^\\r]*\\r$");
    QTest::newRow("p2 current file") << p2 << QByteArray("?C\r") << QStringLiteral("^\\d+\\r$");
    QTest::newRow("p2 current mode") << p2 << QByteArray("?P\r") << QStringLiteral("^[A-Z]{2}\\r$");
    QTest::newRow("hd IP address") << QStringLiteral("pelvoxhd") << QByteArray("IP\r")
                                   << QStringLiteral("^(\\d+\\.){3}\\d+\\r$");
    QTest::newRow("hd OS version") << QStringLiteral("pelvoxhd") << QByteArray("?V\r")
                                   << QStringLiteral("\\d\\.\\d[^\\r]*\\r$");
    QTest::newRow("wendlo version")
        << QStringLiteral("wendlo") << QByteArray("?V\r") << QStringLiteral("\\d\\.\\d[^\\r]*\\r$");
    QTest::newRow("orbalite file list") << QStringLiteral("orbalite") << QByteArray("?D\r")
                                        << QStringLiteral("^([^\\r]+\\.MP3\\r){2,}$");
    QTest::newRow("orbalite storage")
        << QStringLiteral("orbalite") << QByteArray("?R\r") << QStringLiteral("^\\d+ KB\\r$");
}

void TestAsciiDevice::requestsAnswerAValue()
{
    QFETCH(QString, family);
    QFETCH(QByteArray, request);
    QFETCH(QString, pattern);

    const auto device = makeDevice(family, 1);
    const QString reply = QString::fromLatin1(replies(*device, request));
    QVERIFY2(QRegularExpression(pattern).match(reply).hasMatch(), qPrintable(reply));
}

void TestAsciiDevice::requestArrivingInPieces()
{
    const auto device = makeDevice(QStringLiteral("pelvox2"), 1);
    QByteArray all;
    for (const char c : QByteArray("1@12SE\r"))
        all += replies(*device, QByteArrayView(&c, 1));
    QCOMPARE(all, QByteArray("R\r"));
}

void TestAsciiDevice::newUnitIdTakesEffect()
{
    const auto device = makeDevice(QStringLiteral("pelvox2"), 1);
    QCOMPARE(replies(*device, "1@45ID\r"), QByteArray("R\r"));
    QCOMPARE(replies(*device, "1@PL\r"), QByteArray());
    QCOMPARE(replies(*device, "45@ID\r"), QByteArray("45\r"));
}

void TestAsciiDevice::settingsAreRemembered()
{
    const auto device = makeDevice(QStringLiteral("pelvox2"), 1);
    QCOMPARE(replies(*device, "10.1.2.3IP\r12SE\rPA\r"), QByteArray("R\rR\rR\r"));
    QCOMPARE(replies(*device, "IP\r?C\r?P\r"), QByteArray("10.1.2.3\r12\rPA\r"));
}

void TestAsciiDevice::reportNamesUnitCommandAndReply()
{
    const auto device = makeDevice(QStringLiteral("pelvox2"), 1);
    const auto exchanges = device->feed("1@PL\r5@PA\r");
    QCOMPARE(exchanges.size(), 2);
    QCOMPARE(exchanges[0].report, QStringLiteral("request 1@PL<0D>: unit 1, PL play -> R<0D>"));
    QVERIFY2(exchanges[1].report.contains(QStringLiteral("no reply")),
             qPrintable(exchanges[1].report));
}

QTEST_GUILESS_MAIN(TestAsciiDevice)
#include "tst_asciidevice.moc"
