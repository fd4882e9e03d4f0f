#include "simprocess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <csignal>

using zentrel::test::ChildProcess;
using zentrel::test::LineEnd;

namespace {

const QString kSim = QStringLiteral(ZENTREL_SIM_PATH);

// A program directory of the simulator's own, whose port 1 may be pinned to
// `pinned` before the simulator starts.
struct SimDirectory
{
    explicit SimDirectory(const QString &pinned)
    {
        if (pinned.isEmpty())
            return;
        QDir(dir.path()).mkpath(QStringLiteral("ports"));
        QFile::link(pinned, link(1));
        QFile marker(link(1) + QStringLiteral(".sim"));
        if (pinned.startsWith(QStringLiteral("/dev/pts/")) && marker.open(QIODevice::WriteOnly))
            marker.write("pid 999999999\nstart 1\nboot -\ntarget " + pinned.toLocal8Bit() + '\n');
    }
    QString link(int port) const { return dir.filePath(QStringLiteral("ports/COM%1").arg(port)); }

    QTemporaryDir dir;
};

struct Sim : SimDirectory, ChildProcess
{
    explicit Sim(const QStringList &arguments, const QString &pinned = {})
        : SimDirectory(pinned), ChildProcess(kSim, arguments + QStringList{"--dir", dir.path()})
    {}
};

} // namespace

// The simulator as a user runs it (options, the link it pins, the line),
// and both programs installed.
class TestPrograms : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void helpSaysRepliesAreIllustrative()
    {
        ChildProcess sim(kSim, {QStringLiteral("--help")});
        QCOMPARE(sim.waitForExit(), 0);
        QVERIFY2(sim.output().contains(QStringLiteral("illustrative, not a real device's")),
                 qPrintable(sim.output()));
        for (const char *family : {"pelvox2", "pelvoxhd", "wendlo", "orbalite", "showctl"})
            QVERIFY2(sim.output().contains(QLatin1String(family)), family);
    }

    void refusesBadOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown family") << QStringList{"--family", "tapedeck"};
        QTest::newRow("port 17") << QStringList{"--port", "17"};
        QTest::newRow("unit 128") << QStringList{"--unit", "128"};
        QTest::newRow("controller address 122") << QStringList{"-f", "showctl", "-u", "122"};
        QTest::newRow("stray argument") << QStringList{"pelvox2"};
    }

    void refusesBadOptions()
    {
        QFETCH(QStringList, arguments);
        Sim sim(arguments);
        QCOMPARE(sim.waitForExit(), 2);
        QVERIFY(!sim.errors().isEmpty());
        QVERIFY(!QFileInfo::exists(sim.dir.filePath(QStringLiteral("ports"))));
    }

    void answersOverTheLineAndReportsEachRequest()
    {
        Sim sim({"--port", "4", "--unit", "7"});
        QVERIFY2(sim.waitForLine(QStringLiteral("on port 4")), qPrintable(sim.errors()));
        LineEnd line(sim.link(4));
        QVERIFY(line.isOpen());

        line.write("7@PL\r3@PL\rZZ\r");
        QCOMPARE(line.read(4), QByteArray("R\rE\r"));
        for (const char *report :
             {"request 7@PL<0D>: unit 7, PL play -> R<0D>",
              "request 3@PL<0D>: unit 3, not this device",
              "request ZZ<0D>: unknown command ZZ -> E<0D>", "the program has read the reply"})
            QVERIFY2(sim.waitForLine(QLatin1String(report)), report);
    }

    void removesItsLinkWhenEnded_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT (Ctrl+C)") << int(SIGINT);
        QTest::newRow("SIGHUP (terminal closed)") << int(SIGHUP);
    }

    void removesItsLinkWhenEnded()
    {
        QFETCH(int, signalNumber);
        Sim sim({"--port", "0"});
        QVERIFY(sim.waitForLine(QStringLiteral("on port 0")));
        QVERIFY(QFileInfo(sim.link(0)).isSymLink());
        sim.sendSignal(signalNumber);
        QCOMPARE(sim.waitForExit(), 0);
        QVERIFY(!QFileInfo(sim.link(0)).isSymLink());
    }

    void keepsAPinThatIsNotItsOwn()
    {
        // An adapter pinned by the user but unplugged at the moment.
        const QString adapter = QStringLiteral("/dev/serial/by-id/usb-FTDI_absent-if00-port0");
        Sim sim({}, adapter);
        QCOMPARE(sim.waitForExit(), 1);
        QVERIFY2(sim.errors().contains(QStringLiteral("already pinned")), qPrintable(sim.errors()));
        QCOMPARE(QFileInfo(sim.link(1)).symLinkTarget(), adapter);
    }

    void takesOverAStalePseudoTerminalLinkAndOutlivesProbes()
    {
        // Left behind by a simulator that was killed outright.
        Sim sim({}, QStringLiteral("/dev/pts/999999"));
        QVERIFY2(sim.waitForLine(QStringLiteral("on port 1")), qPrintable(sim.errors()));
        // A port probe opens and closes the line; that must not hang it up.
        for (int i = 0; i < 3; ++i)
            LineEnd probe(sim.link(1));
        LineEnd line(sim.link(1));
        line.write("PL\r");
        QCOMPARE(line.read(2), QByteArray("R\r"));
        QVERIFY(sim.isRunning());
    }

    // `cmake --install` into a prefix of the test's own: the programs, the
    // desktop entry and the icons where a desktop looks for them.
    void installsProgramsEntryAndIcons()
    {
        QTemporaryDir prefix;
        const auto installed = [&prefix](const QString &relative) {
            return prefix.filePath(relative);
        };
        ChildProcess install(
            QStringLiteral(ZENTREL_CMAKE),
            {"--install", QStringLiteral(ZENTREL_BUILD_DIR), "--prefix", prefix.path()});
        QVERIFY2(install.waitForExit(60000) == 0, qPrintable(install.output() + install.errors()));

        for (const char *program : {"bin/zentrel", "bin/zentrel-sim"}) {
            const QFileInfo info(installed(QLatin1String(program)));
            QVERIFY2(info.isFile() && info.isExecutable(), program);
        }
        for (const quint32 size : {48u, 64u, 128u, 256u}) {
            QFile icon(
                installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/zentrel.png").arg(size)));
            QVERIFY(icon.open(QIODevice::ReadOnly));
            const QByteArray png = icon.read(24);
            QCOMPARE(png.left(16), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
            QCOMPARE(qFromBigEndian<quint32>(png.constData() + 16), size);
            QCOMPARE(qFromBigEndian<quint32>(png.constData() + 20), size);
        }
        const QString entry = installed(QStringLiteral("share/applications/zentrel.desktop"));
        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QVERIFY(lines.contains("Exec=zentrel") && lines.contains("Icon=zentrel"));
        // The validator reports errors, warnings and hints; a clean entry has none.
        ChildProcess validate(QStringLiteral("desktop-file-validate"), {entry});
        QCOMPARE(validate.waitForExit(), 0);
        QCOMPARE(validate.output().trimmed(), QString());
    }
};

QTEST_GUILESS_MAIN(TestPrograms)
#include "tst_programs.moc"
