#include "terminal/logwriter.h"

#include <QTest>

using namespace zentrel;

namespace {

struct Piece
{
    Direction direction;
    QByteArray bytes;
};

QByteArray written(const QList<Piece> &pieces, ViewMode mode)
{
    LogText log;
    LogWriter writer(log);
    for (const auto &piece : pieces)
        writer.write(piece.bytes, piece.direction, mode);
    return log.text();
}

QByteArray allBytes()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    return bytes;
}

} // namespace

Q_DECLARE_METATYPE(ViewMode)

class TestLogWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void traffic_data()
    {
        QTest::addColumn<QList<Piece>>("pieces");
        QTest::addColumn<ViewMode>("mode");
        QTest::addColumn<QByteArray>("expected");

        const Piece play{Direction::Sent, "PL\r"};
        const Piece r{Direction::Received, "R"};
        const Piece cr{Direction::Received, "\r"};
        QTest::newRow("standard: sent line then glued answer")
            << QList<Piece>{play, r, cr} << ViewMode::Standard
            << QByteArray("Command Sent:  PL|\r\nReceiving: R|");
        QTest::newRow("mixed escapes control bytes only")
            << QList<Piece>{play, r, cr} << ViewMode::Mixed
            << QByteArray("Command Sent:  PL<0D>\r\nReceiving: R<0D>");
        QTest::newRow("hex keeps the label plain")
            << QList<Piece>{play, r, cr} << ViewMode::Hex
            << QByteArray("Command Sent:  <50><4C><0D>\r\nReceiving: <52><0D>");
        QTest::newRow("first line has no break before it")
            << QList<Piece>{r} << ViewMode::Standard << QByteArray("Receiving: R");
        QTest::newRow("each send starts a new line; the next answer too")
            << QList<Piece>{play, play, r, play, r} << ViewMode::Standard
            << QByteArray("Command Sent:  PL|\r\nCommand Sent:  PL|\r\nReceiving: R\r\n"
                          "Command Sent:  PL|\r\nReceiving: R");
        QTest::newRow("device line breaks never break the log")
            << QList<Piece>{{Direction::Received, "a\r\nb"}} << ViewMode::Standard
            << QByteArray("Receiving: a||b");
        QTest::newRow("empty received piece still starts its line")
            << QList<Piece>{play, {Direction::Received, ""}, r} << ViewMode::Standard
            << QByteArray("Command Sent:  PL|\r\nReceiving: R");
        QTest::newRow("mixed: tab, 31, space, 127 and 200")
            << QList<Piece>{{Direction::Received, "\x09\x1f \x7f\xc8"}} << ViewMode::Mixed
            << QByteArray("Receiving: <09><1F> \x7f\xc8");
        QTest::newRow("hex: space and high bytes escaped")
            << QList<Piece>{{Direction::Received, " \xff\x00"_qba}} << ViewMode::Hex
            << QByteArray("Receiving: <20><FF><00>");
        QTest::newRow("received text that looks like a sent line stays received")
            << QList<Piece>{play, {Direction::Received, "command sent:  XY"}} << ViewMode::Hex
            << QByteArray("Command Sent:  <50><4C><0D>\r\nReceiving: "
                          "<63><6F><6D><6D><61><6E><64><20><73><65><6E><74><3A><20><20><58><59>");
        QTest::newRow("received marker glues like any piece")
            << QList<Piece>{r, {Direction::Received, "Command Sent:"}} << ViewMode::Standard
            << QByteArray("Receiving: RCommand Sent:");
    }

    void traffic()
    {
        QFETCH(QList<Piece>, pieces);
        QFETCH(ViewMode, mode);
        QFETCH(QByteArray, expected);
        QCOMPARE(written(pieces, mode), expected);
    }

    void everyByteValueOnePerRead_data()
    {
        QTest::addColumn<ViewMode>("mode");
        QTest::newRow("standard") << ViewMode::Standard;
        QTest::newRow("mixed") << ViewMode::Mixed;
        QTest::newRow("hex") << ViewMode::Hex;
    }

    void everyByteValueOnePerRead()
    {
        QFETCH(ViewMode, mode);
        const auto bytes = allBytes();
        QList<Piece> oneByOne;
        for (const char c : bytes)
            oneByOne.append({Direction::Received, QByteArray(1, c)});

        QByteArray expected = kReceivedLabel;
        renderBytes(expected, bytes, mode);
        QCOMPARE(written(oneByOne, mode), expected);
        QCOMPARE(written({{Direction::Received, bytes}}, mode), expected);
    }

    void viewChangeAffectsOnlyLaterPieces()
    {
        LogText log;
        LogWriter writer(log);
        writer.write("\r", Direction::Received, ViewMode::Hex);
        writer.write("\r", Direction::Received, ViewMode::Standard);
        QCOMPARE(log.text(), QByteArray("Receiving: <0D>|"));
    }

    void linesAreIndexed()
    {
        LogText log;
        LogWriter writer(log);
        writer.write("PL\r", Direction::Sent, ViewMode::Standard);
        writer.write("R", Direction::Received, ViewMode::Standard);
        writer.write("\r", Direction::Received, ViewMode::Standard);
        QCOMPARE(log.lineCount(), 2);
        QCOMPARE(log.line(0), QByteArrayView("Command Sent:  PL|"));
        QCOMPARE(log.line(1), QByteArrayView("Receiving: R|"));
        QCOMPARE(log.lineOf(log.lineStart(1) + 3), 1);
        QCOMPARE(log.longestLine(), 18);

        log.clear();
        writer.setNewReceiveLine(true);
        writer.write("R", Direction::Received, ViewMode::Standard);
        QCOMPARE(log.text(), QByteArray("Receiving: R"));
        QCOMPARE(log.lineCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TestLogWriter)
#include "tst_logwriter.moc"
