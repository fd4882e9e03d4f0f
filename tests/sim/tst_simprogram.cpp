#include "simprocess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using zentrel::test::ChildProcess;
using zentrel::test::LineEnd;

namespace {

const QString kSim = QStringLiteral(ZENTREL_SIM_PATH);

QString linkIn(const QTemporaryDir &dir, int port)
{
    return dir.filePath(QStringLiteral("ports/COM%1").arg(port));
}

} // namespace

// The simulator as a user runs it: options, the link it pins, the line.
class TestSimProgram : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void helpSaysRepliesAreIllustrative();
    void refusesBadOptions_data();
    void refusesBadOptions();
    void answersOverTheLineAndReportsEachRequest();
    void showControllerOverTheLine();
    void cutShortPacketAnsweredWhenLineGoesQuiet();
    void portProbeDoesNotHangTheLineUp();
    void removesItsLinkWhenEnded_data();
    void removesItsLinkWhenEnded();
    void keepsAPinThatIsNotItsOwn();
    void takesOverAStalePseudoTerminalLink();
};

void TestSimProgram::helpSaysRepliesAreIllustrative()
{
    ChildProcess sim(kSim, {QStringLiteral("--help")});
    QCOMPARE(sim.waitForExit(), 0);
    QVERIFY2(sim.output().contains(QStringLiteral("illustrative, not a real device's")),
             qPrintable(sim.output()));
    for (const char *family : {"pelvox2", "pelvoxhd", "wendlo", "orbalite", "showctl"})
        QVERIFY2(sim.output().contains(QLatin1String(family)), family);
}

void TestSimProgram::refusesBadOptions_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("unknown family") << QStringList{"--family", "tapedeck"};
    QTest::newRow("port 17") << QStringList{"--port", "17"};
    QTest::newRow("port not a number") << QStringList{"--port", "one"};
    QTest::newRow("unit 128") << QStringList{"--unit", "128"};
    QTest::newRow("controller address 122") << QStringList{"-f", "showctl", "-u", "122"};
    QTest::newRow("stray argument") << QStringList{"pelvox2"};
}

void TestSimProgram::refusesBadOptions()
{
    QFETCH(QStringList, arguments);

    QTemporaryDir dir;
    ChildProcess sim(kSim, arguments + QStringList{"--dir", dir.path()});
    QCOMPARE(sim.waitForExit(), 2);
    QVERIFY(!sim.errors().isEmpty());
    QVERIFY(!QFileInfo(dir.filePath(QStringLiteral("ports"))).exists());
}

void TestSimProgram::answersOverTheLineAndReportsEachRequest()
{
    QTemporaryDir dir;
    ChildProcess sim(kSim, {"--port", "4", "--unit", "7", "--dir", dir.path()});
    QVERIFY2(sim.waitForLine(QStringLiteral("on port 4")), qPrintable(sim.errors()));
    LineEnd line(linkIn(dir, 4));
    QVERIFY(line.isOpen());

    line.write("7@PL\r3@PL\rZZ\r");
    QCOMPARE(line.read(4), QByteArray("R\rE\r"));
    line.write("?V\r");
    const QByteArray version = line.read(100, 300);
    QVERIFY2(version.endsWith('\r') && version.size() > 1, version.constData());
    QVERIFY(sim.waitForLine(QStringLiteral("request 7@PL<0D>: unit 7, PL play -> R<0D>")));
    QVERIFY(sim.waitForLine(QStringLiteral("request 3@PL<0D>: unit 3, not this device")));
    QVERIFY(sim.waitForLine(QStringLiteral("request ZZ<0D>: unknown command ZZ -> E<0D>")));
    QVERIFY(sim.waitForLine(QStringLiteral("the program has read the reply")));
}

void TestSimProgram::showControllerOverTheLine()
{
    QTemporaryDir dir;
    ChildProcess sim(kSim, {"--family", "showctl", "--unit", "12", "--dir", dir.path()});
    QVERIFY2(sim.waitForLine(QStringLiteral("showctl, address 12")), qPrintable(sim.errors()));
    LineEnd line(linkIn(dir, 1));
    QVERIFY(line.isOpen());

    line.write(QByteArray::fromHex("F5 0C 01 03 04 3F FF 52"));
    QCOMPARE(line.read(1), QByteArray("\x06"));
    line.write(QByteArray::fromHex("F5 0C 01 03 04 3F FF 53"));
    QCOMPARE(line.read(1), QByteArray("\x15"));
    QVERIFY(sim.waitForLine(QStringLiteral("target 12, response ACK/NACK, Blink, data 3F FF, "
                                           "checksum ok: blink output 64 255 frames -> <06>")));
    QVERIFY(sim.waitForLine(QStringLiteral("checksum wrong (should be 52) -> NACK <15>")));
}

void TestSimProgram::cutShortPacketAnsweredWhenLineGoesQuiet()
{
    QTemporaryDir dir;
    ChildProcess sim(kSim, {"--family", "showctl", "--dir", dir.path()});
    QVERIFY(sim.waitForLine(QStringLiteral("on port 1")));
    LineEnd line(linkIn(dir, 1));

    line.write(QByteArray::fromHex("F5 01 01 02 02"));
    QCOMPARE(line.read(1), QByteArray("\x15"));
    QVERIFY(sim.waitForLine(QStringLiteral("packet F5 01 01 02 02: cut short")));
    // The line is in step again afterwards.
    line.write(QByteArray::fromHex("F5 01 01 01 42 45"));
    QCOMPARE(line.read(1), QByteArray("\x06"));
}

void TestSimProgram::portProbeDoesNotHangTheLineUp()
{
    QTemporaryDir dir;
    ChildProcess sim(kSim, {"--dir", dir.path()});
    QVERIFY(sim.waitForLine(QStringLiteral("on port 1")));
    for (int i = 0; i < 3; ++i)
        LineEnd probe(linkIn(dir, 1));
    LineEnd line(linkIn(dir, 1));
    line.write("PL\r");
    QCOMPARE(line.read(2), QByteArray("R\r"));
    QVERIFY(sim.isRunning());
}

void TestSimProgram::removesItsLinkWhenEnded_data()
{
    QTest::addColumn<int>("signalNumber");

    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT (Ctrl+C)") << int(SIGINT);
    QTest::newRow("SIGHUP (terminal closed)") << int(SIGHUP);
}

void TestSimProgram::removesItsLinkWhenEnded()
{
    QFETCH(int, signalNumber);

    QTemporaryDir dir;
    ChildProcess sim(kSim, {"--port", "0", "--dir", dir.path()});
    QVERIFY(sim.waitForLine(QStringLiteral("on port 0")));
    QVERIFY(QFileInfo(linkIn(dir, 0)).isSymLink());

    sim.sendSignal(signalNumber);
    QCOMPARE(sim.waitForExit(), 0);
    QVERIFY(!QFileInfo(linkIn(dir, 0)).isSymLink());
}

void TestSimProgram::keepsAPinThatIsNotItsOwn()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("ports"));
    // An adapter pinned by the user but unplugged at the moment.
    const QString adapter = QStringLiteral("/dev/serial/by-id/usb-FTDI_absent-if00-port0");
    QVERIFY(QFile::link(adapter, linkIn(dir, 1)));

    ChildProcess sim(kSim, {"--dir", dir.path()});
    QCOMPARE(sim.waitForExit(), 1);
    QVERIFY2(sim.errors().contains(QStringLiteral("already pinned")), qPrintable(sim.errors()));
    QCOMPARE(QFileInfo(linkIn(dir, 1)).symLinkTarget(), adapter);
}

void TestSimProgram::takesOverAStalePseudoTerminalLink()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("ports"));
    // Left behind by a simulator that was killed outright.
    QVERIFY(QFile::link(QStringLiteral("/dev/pts/999999"), linkIn(dir, 1)));

    ChildProcess sim(kSim, {"--dir", dir.path()});
    QVERIFY2(sim.waitForLine(QStringLiteral("on port 1")), qPrintable(sim.errors()));
    LineEnd line(linkIn(dir, 1));
    line.write("PL\r");
    QCOMPARE(line.read(2), QByteArray("R\r"));
}

QTEST_GUILESS_MAIN(TestSimProgram)
#include "tst_simprogram.moc"
