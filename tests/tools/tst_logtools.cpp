#include "terminalharness.h"
#include "testhelpers.h"
#include "tools/logtools.h"

#include <QFile>

#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace zentrel;
using namespace zentrel::test;

class TestLogTools : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void clearStartsFreshReceiveLine()
    {
        TerminalHarness t;
        t.device.write("R");
        QTRY_COMPARE(t.logText(), QByteArray("Receiving: R"));
        t.window->SendCommand("X");
        t.click("ClearCmd");
        QCOMPARE(t.logText(), QByteArray());
        t.device.write("Q");
        QTRY_COMPARE(t.logText(), QByteArray("Receiving: Q"));
        QCOMPARE(t.window->LastCommand(), QByteArray("X"));
    }

    void save_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("written");
        QTest::newRow("log filter adds .log") << "session"
                                              << ""
                                              << "session.log";
        QTest::newRow("own extension kept") << "session.txt"
                                            << ""
                                            << "session.txt";
        QTest::newRow("all files adds nothing") << "session"
                                                << "All files (*.*)"
                                                << "session";
    }

    void save()
    {
        QFETCH(QString, typed);
        QFETCH(QString, filter);
        QFETCH(QString, written);
        TerminalHarness t;
        t.window->SendCommand("PL\r");
        t.device.write("R\r");
        QTRY_COMPARE(t.logText(), QByteArray("Command Sent:  PL|\r\nReceiving: R|"));
        answerSaveDialog(t.dir.filePath(typed), filter);
        t.click("SaveLogCmd");
        QCOMPARE(fileContent(t.dir.filePath(written)),
                 QByteArray("Command Sent:  PL|\r\nReceiving: R|\r\n"));
        QCOMPARE(t.window->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(t.messages.shown.isEmpty());
    }

    void saveEmptyLogOverExistingFile()
    {
        TerminalHarness t;
        const QString path = t.dir.filePath("old.log");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("previous content that is longer");
        old.close();
        // The replacement keeps the old file's mode, here one no new file gets.
        QVERIFY(setOwnership(path, {0604, int(::geteuid()), int(::getegid())}));
        answerSaveDialog(path);
        t.click("SaveLogCmd");
        QCOMPARE(fileContent(path), QByteArray("\r\n"));
        QCOMPARE(ownershipOf(path).mode, 0604);
    }

    void cancelWritesNothing()
    {
        TerminalHarness t;
        cancelSaveDialog();
        t.click("SaveLogCmd");
        QCOMPARE(QDir(t.dir.path()).entryList({"*.log"}, QDir::Files), QStringList());
        QVERIFY(t.messages.shown.isEmpty());
    }

    // The operator is told, and what stood at the name stays as it was: an
    // old file whole, a device a device, no half-written copy beside it.
    void saveFailureIsReported_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("folder that does not exist") << "missing";
        QTest::newRow("a device that takes nothing") << "full";
        QTest::newRow("the disk fills up after a few hundred bytes") << "room";
    }

    void saveFailureIsReported()
    {
        QFETCH(QString, target);
        TerminalHarness t;
        for (int n = 0; n < 50; ++n)
            t.window->SendCommand("PL\r");
        const QByteArray old = "the session before\r\n";
        QString path = t.dir.filePath(QStringLiteral("session.log"));
        if (target == "missing") {
            path = QStringLiteral("/nonexistent-directory/x.log");
        } else if (target == "full") {
            // /dev/full itself, or, for root (who could create files beside
            // it), a device node of the same kind here.
            path = ::geteuid() == 0 ? t.dir.filePath(QStringLiteral("full")) : "/dev/full";
            if (::geteuid() == 0)
                QCOMPARE(
                    ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 7)), 0);
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
        }
        const QStringList before = QDir(t.dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
        answerSaveDialog(path, "All files (*.*)");
        {
            const FileSizeLimit full(target == "room" ? 300 : RLIM_INFINITY);
            t.click("SaveLogCmd");
        }
        QCOMPARE(t.messages.texts(), QStringList{"Error saving to file!"});
        QCOMPARE(t.window->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(QDir(t.dir.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
        if (target == "room")
            QCOMPARE(fileContent(path), old);
        // A folder at the name cannot be replaced by a file, also for root.
        QVERIFY(QDir().mkdir(t.dir.filePath("taken.log")));
        QVERIFY(!LogTools::saveLog("x", t.dir.filePath("taken.log")));
        struct stat status = {};
        if (target == "full")
            QVERIFY(::stat(QFile::encodeName(path).constData(), &status) == 0 &&
                    S_ISCHR(status.st_mode));
    }

    void fontCycle_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<QList<double>>("sizes");
        QTest::newRow("from 10") << 10.0 << QList<double>{12, 14, 8, 10};
        QTest::newRow("11 becomes 14") << 11.0 << QList<double>{14};
        QTest::newRow("20 stays") << 20.0 << QList<double>{20, 20};
    }

    void fontCycle()
    {
        QFETCH(double, start);
        QFETCH(QList<double>, sizes);
        TerminalHarness t;
        QCOMPARE(t.window->log()->fontPointSize(), 10.0);
        t.window->SendCommand("PL\r");
        t.window->log()->setFontPointSize(start);
        for (const double size : sizes) {
            t.window->log()->selectAll();
            QTest::keyClick(t.window->log(), Qt::Key_Home, Qt::ControlModifier);
            t.click("FontCmd");
            QCOMPARE(t.window->log()->fontPointSize(), size);
            QCOMPARE(t.window->log()->caretPosition(), t.logText().size());
            QCOMPARE(t.window->log()->selectedText(), QString());
        }
    }
};

QTEST_MAIN(TestLogTools)
#include "tst_logtools.moc"
