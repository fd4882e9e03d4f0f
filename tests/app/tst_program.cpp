#include "appdirectory.h"
#include "pseudoterminal.h"
#include "serial/com.h"
#include "tools/apppath.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <csignal>

using namespace zentrel;
using namespace zentrel::test;

// The real program, started from a directory of its own with its own
// settings file and ports/ links, the way an operator's copy runs.
class TestProgram : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runsAndClosesOnSignal_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
    }

    void runsAndClosesOnSignal()
    {
        QFETCH(int, signal);
        AppDirectory dir;
        const QString program = dir.filePath(QStringLiteral("zentrel"));
        QVERIFY(QFile::copy(QStringLiteral(ZENTREL_EXECUTABLE), program));
        PseudoTerminal one, three;
        dir.pin(1, one);
        dir.pin(3, three);
        dir.writeIni("Port: 3\r\nView: Mixed\r\nString 1: \"PL\" h0d\r\nString 2: \r\n"
                     "String 3: \r\nString 4: \r\nString 5: \r\n");

        QProcess zentrel;
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        zentrel.setProcessEnvironment(environment);
        zentrel.setWorkingDirectory(QDir::tempPath());
        zentrel.start(program, {});
        QVERIFY(zentrel.waitForStarted());

        // After the splash the saved port is open: our own probe finds it busy.
        QTRY_VERIFY_WITH_TIMEOUT(!com::ProbePort(3), 15000);
        QVERIFY(com::ProbePort(1));

        three.write("R\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(three.waitingForProgram(), 0, 5000);
        QCOMPARE(zentrel.state(), QProcess::Running);

        ::kill(pid_t(zentrel.processId()), signal);
        QVERIFY(zentrel.waitForFinished(10000));
        QCOMPARE(zentrel.exitStatus(), QProcess::NormalExit);
        QCOMPARE(zentrel.exitCode(), 0);
        QCOMPARE(dir.readIni(), QByteArray("Port: 3\r\nView: Mixed\r\nString 1: \"PL\" h0d\r\n"
                                           "String 2: \r\nString 3: \r\nString 4: \r\n"
                                           "String 5: \r\n"));
        QVERIFY(com::ProbePort(3));
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
