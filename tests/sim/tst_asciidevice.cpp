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

void row(const char *name, const char *family, int unit, const char *input, const char *reply)
{
    QTest::newRow(name) << QString::fromLatin1(family) << unit << QByteArray(input)
                        << QByteArray(reply);
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
};

void TestAsciiDevice::answers_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("unit");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");

    // Unit-ID filtering.
    row("no prefix answers", "pelvox2", 1, "PL\r", "R\r");
    row("own unit answers", "pelvox2", 1, "1@PL\r", "R\r");
    row("own unit with leading zeros", "pelvox2", 7, "007@PL\r", "R\r");
    row("star answers", "pelvox2", 3, "*@PL\r", "R\r");
    row("other unit is silent", "pelvox2", 1, "5@PL\r", "");
    row("other unit silent on unknown command", "pelvox2", 1, "5@ZZ\r", "");
    row("digit and star is no unit of ours", "pelvox2", 1, "1*@PL\r", "");
    row("prefix honoured by every family", "wendlo", 2, "1@?V\r", "");
    row("four-digit prefix is no prefix", "pelvox2", 1, "1234@PL\r", "E\r");
    // Framing.
    row("nothing before the carriage return", "pelvox2", 1, "PL", "");
    row("line feed after CR ignored", "pelvox2", 1, "PL\r\nPA\r\n", "R\rR\r");
    row("empty line refused", "pelvox2", 1, "\r", "E\r");
    row("unknown command refused", "pelvox2", 1, "ZZ\r", "E\r");
    row("argument where none belongs", "pelvox2", 1, "5PL\r", "E\r");
    // Each family's commands, and the arguments it refuses.
    row("p2 search", "pelvox2", 1, "00012SE\r", "R\r");
    row("p2 search without file", "pelvox2", 1, "SE\r", "E\r");
    row("p2 mute audio", "pelvox2", 1, "0AD\r", "R\r");
    row("p2 mute needs 0 or 1", "pelvox2", 1, "2VD\r", "E\r");
    row("p2 sample rate next file", "pelvox2", 1, "5AR\r", "R\r");
    row("p2 sample rate beyond 5", "pelvox2", 1, "6AR\r", "E\r");
    row("p2 unit ID 126 set", "pelvox2", 1, "126ID\r", "R\r");
    row("p2 unit ID 127 refused", "pelvox2", 1, "127ID\r", "E\r");
    row("p2 subnet mask set", "pelvox2", 1, "255.255.255.0SM\r", "R\r");
    row("p2 all-zero address refused", "pelvox2", 1, "0.0.0.0SM\r", "E\r");
    row("p2 three parts refused", "pelvox2", 1, "10.0.1IP\r", "E\r");
    row("p2 DHCP", "pelvox2", 1, "DHCPIP\r", "R\r");
    row("p2 has no debug mode", "pelvox2", 1, "1DM\r", "E\r");
    row("hd video format", "pelvoxhd", 1, "\"1080i25-16:9\"VD\r", "R\r");
    row("hd unknown format", "pelvoxhd", 1, "\"SECAM\"VD\r", "E\r");
    row("hd unquoted format", "pelvoxhd", 1, "PALVD\r", "E\r");
    row("hd debug on", "pelvoxhd", 1, "1DM\r", "R\r");
    row("hd colour space", "pelvoxhd", 1, "0VC\r", "R\r");
    row("hd set IP", "pelvoxhd", 1, "192.168.0.20IP\r", "R\r");
    row("hd has no unit ID command", "pelvoxhd", 1, "ID\r", "E\r");
    row("wendlo assign", "wendlo", 1, "253SE\r", "R\r");
    row("wendlo assign to all", "wendlo", 1, "25*SE\r", "R\r");
    row("wendlo assign needs a file", "wendlo", 1, "3SE\r", "E\r");
    row("wendlo file 512 refused", "wendlo", 1, "5123SE\r", "E\r");
    row("wendlo file 1511 taken", "wendlo", 1, "15113PL\r", "R\r");
    row("wendlo play without file", "wendlo", 1, "8PL\r", "R\r");
    row("wendlo channel 9 refused", "wendlo", 1, "9PL\r", "E\r");
    row("wendlo play needs a channel", "wendlo", 1, "PL\r", "E\r");
    row("wendlo mute channel 2", "wendlo", 1, "02AD\r", "R\r");
    row("wendlo reset channel", "wendlo", 1, "5RJ\r", "R\r");
    row("wendlo keylock on", "wendlo", 1, "0KL\r", "R\r");
    row("wendlo keylock 2 refused", "wendlo", 1, "2KL\r", "E\r");
    row("orbalite volume 7", "orbalite", 1, "7AD\r", "R\r");
    row("orbalite rename", "orbalite", 1, "SONG1MP3NEWMP3RN\r", "R\r");
    row("orbalite rename without names", "orbalite", 1, "RN\r", "E\r");
    row("orbalite format", "orbalite", 1, "FO\r", "R\r");
    row("orbalite has no still", "orbalite", 1, "ST\r", "E\r");
}

void TestAsciiDevice::answers()
{
    QFETCH(QString, family);
    QFETCH(int, unit);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    QCOMPARE(replies(*makeDevice(family, unit), input), expected);
}

void TestAsciiDevice::requestsAnswerAValue_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("unit");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("pattern");

    const char *version = "\\d\\.\\d[^\\r]*\\r$";
    row("p2 unit ID is its own", "pelvox2", 1, "ID\r", "^1\\r$");
    row("p2 file list of several lines", "pelvox2", 1, "LS\r", "^([^\\r]+\\r){2,}$");
    row("p2 version", "pelvox2", 1, "?V\r", version);
    row("hd OS version", "pelvoxhd", 1, "?V\r", version);
    row("orbalite file list", "orbalite", 1, "?D\r", "^([^\\r]+\\.MP3\\r){2,}$");
    row("orbalite storage", "orbalite", 1, "?R\r", "^\\d+ KB\\r$");
}

void TestAsciiDevice::requestsAnswerAValue()
{
    QFETCH(QString, family);
    QFETCH(int, unit);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, pattern);
    const QString reply = QString::fromLatin1(replies(*makeDevice(family, unit), input));
    QVERIFY2(QRegularExpression(QString::fromLatin1(pattern)).match(reply).hasMatch(),
             qPrintable(reply));
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

QTEST_GUILESS_MAIN(TestAsciiDevice)
#include "tst_asciidevice.moc"
