#include "simprocess.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

using zentrel::test::ChildProcess;

namespace {

const QString kSim = QStringLiteral(ZENTREL_SIM_PATH);
const QString kProgram = QStringLiteral(ZENTREL_PROGRAM_PATH);
constexpr int kSimPort = 3;

// Quick string 1 plays, quick string 2 asks for the version.
const QByteArray kIni = "Port: 3\r\nView: Standard\r\nString 1: \"PL\" h0d\r\n"
                        "String 2: \"?V\" h0d\r\nString 3: \r\nString 4: \r\nString 5: \r\n";

} // namespace

// The real program, copied into a directory of its own with its settings
// file and a ports/ link to the simulator, driven by key presses on a
// virtual display.
class TestEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void quickStringsReachTheSimulatorAndItsRepliesComeBack();

private:
    QProcessEnvironment display() const;
    // True when xdotool succeeded; its output goes to `output`.
    bool xdotool(const QStringList &arguments, QString *output = nullptr);

    std::unique_ptr<ChildProcess> m_xvfb;
    QString m_display;
};

void TestEndToEnd::initTestCase()
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty())
        QSKIP("Xvfb is not installed (scripts/deps.sh installs it)");
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(),
             "xdotool is missing; scripts/deps.sh installs it");
    // Xvfb picks a free display and writes its number to the descriptor given.
    m_xvfb = std::make_unique<ChildProcess>(
        xvfb, QStringList{"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
    QVERIFY2(m_xvfb->waitForLine(QStringLiteral("\n")), qPrintable(m_xvfb->errors()));
    m_display = QLatin1Char(':') + m_xvfb->output().trimmed();
}

void TestEndToEnd::cleanupTestCase()
{
    if (m_xvfb)
        m_xvfb->sendSignal(SIGTERM);
}

QProcessEnvironment TestEndToEnd::display() const
{
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return environment;
}

bool TestEndToEnd::xdotool(const QStringList &arguments, QString *output)
{
    ChildProcess tool(QStringLiteral("xdotool"), arguments, display());
    const bool done = tool.waitForExit(20000) == 0;
    if (output)
        *output = tool.output().trimmed();
    return done;
}

void TestEndToEnd::quickStringsReachTheSimulatorAndItsRepliesComeBack()
{
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("zentrel"));
    QVERIFY(QFile::copy(kProgram, program));
    QDir(dir.path()).mkpath(QStringLiteral("ports"));
    // Every other number pinned to nothing: only the simulator is a port here,
    // whatever serial hardware this machine has.
    for (int n = 0; n <= 16; ++n) {
        if (n != kSimPort)
            QFile::link(dir.filePath(QStringLiteral("absent-device")),
                        dir.filePath(QStringLiteral("ports/COM%1").arg(n)));
    }
    QFile ini(dir.filePath(QStringLiteral("Zentrel.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly) && ini.write(kIni) == kIni.size());
    ini.close();

    ChildProcess sim(kSim, {"--port", QString::number(kSimPort), "--dir", dir.path()});
    QVERIFY2(sim.waitForLine(QStringLiteral("on port 3")), qPrintable(sim.errors()));

    ChildProcess zentrel(program, {}, display());
    QString window;
    // Searched afresh until found: a window that closes while xdotool walks
    // the tree (the splash, as the main window opens) fails that search.
    QTRY_VERIFY2_WITH_TIMEOUT(
        xdotool({"search", "--onlyvisible", "--name", "^Zentrel Vorlinker$"}, &window),
        qPrintable(zentrel.errors()), 20000);
    QVERIFY(xdotool({"windowfocus", "--sync", window.section(u'\n', 0, 0)}));

    QVERIFY(xdotool({"key", "F1"}));
    for (const char *line : {"request PL<0D>: PL play -> R<0D>", "the program has read the reply"})
        QVERIFY2(sim.waitForLine(QLatin1String(line)), qPrintable(sim.output()));
    QVERIFY(xdotool({"key", "F2"}));
    QVERIFY2(sim.waitForLine(QStringLiteral("request ?V<0D>: ?V firmware version request")),
             qPrintable(sim.output()));
    QTRY_COMPARE_WITH_TIMEOUT(sim.output().count(QStringLiteral("the program has read the reply")),
                              2, 10000);

    // Ctrl+C in the terminal it was started from ends the program the way
    // Exit does: it saves its settings.
    zentrel.sendSignal(SIGINT);
    QCOMPARE(zentrel.waitForExit(), 0);
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll(), kIni);

    sim.sendSignal(SIGTERM);
    QCOMPARE(sim.waitForExit(), 0);
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
