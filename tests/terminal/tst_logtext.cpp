#include "terminal/logtext.h"

#include <QTest>

using namespace zentrel;

namespace {

// A log of `lines` lines where line n holds n % 7 + 1 characters.
LogText logOf(qsizetype lines)
{
    LogText log;
    for (qsizetype n = 0; n < lines; ++n)
        log.appendLine(QByteArray(n % 7 + 1, char('a' + n % 26)));
    return log;
}

} // namespace

class TestLogText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void linesAcrossStorageBlocks_data()
    {
        QTest::addColumn<qsizetype>("lines");
        QTest::newRow("one line") << qsizetype(1);
        QTest::newRow("one block") << qsizetype(16384);
        QTest::newRow("first line of a second block") << qsizetype(16385);
        QTest::newRow("several blocks") << qsizetype(50000);
    }

    void linesAcrossStorageBlocks()
    {
        QFETCH(qsizetype, lines);
        const LogText log = logOf(lines);
        QCOMPARE(log.lineCount(), lines);
        qsizetype position = 0;
        for (qsizetype n = 0; n < lines; ++n) {
            QCOMPARE(log.lineStart(n), position);
            QCOMPARE(log.lineLength(n), n % 7 + 1);
            QCOMPARE(log.lineOf(position), n);
            QCOMPARE(log.lineOf(position + n % 7), n);
            QCOMPARE(log.line(n), QByteArrayView(QByteArray(n % 7 + 1, char('a' + n % 26))));
            position += n % 7 + 1 + 2;
        }
        QCOMPARE(position - 2, log.size());
        // The end of the text belongs to the last line.
        QCOMPARE(log.lineOf(log.size()), lines - 1);
    }

    void clearStartsOver()
    {
        LogText log = logOf(20000);
        log.clear();
        QCOMPARE(log.lineCount(), 1);
        QCOMPARE(log.size(), 0);
        QCOMPARE(log.longestLine(), 0);
        log.append("x");
        log.appendLine("yz");
        QCOMPARE(log.text(), QByteArray("x\r\nyz"));
        QCOMPARE(log.lineStart(1), 3);
        QCOMPARE(log.lineOf(4), 1);
        QCOMPARE(log.longestLine(), 2);
    }
};

QTEST_GUILESS_MAIN(TestLogText)
#include "tst_logtext.moc"
