// Rapid Fire: against a far end that takes every byte at once and echoes it,
// with the window on screen, and against one that reads only as fast as a
// 9600-baud line carries bytes.
#include "report.h"
#include "terminal/logview.h"
#include "tools/rapidfire.h"
#include "window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

using namespace zentrel;
using namespace zentrel::bench;

namespace {

qsizetype sentLines(Window &window)
{
    return window.terminal->log()->text().count("Command Sent:  ");
}

struct Run
{
    qint64 ticks = 0;
    qsizetype sends = 0;
    double seconds = 0;
    double cpuShare = 0;
    qint64 largestPending = 0;
    qint64 farEndBytes = 0;
    qint64 residentGrowth = 0; // after the first quarter of the run
    qint64 logGrowth = 0;      // over the same stretch
};

// Starts Rapid Fire on `command`, lets it run, and stops it.
Run rapidFire(Window &window, const QByteArray &command, int seconds)
{
    window.terminal->SendCommand(command);
    Window::run(300);
    Run run;
    QObject::connect(&window.terminal->rapidFire()->RapidTimer(), &QTimer::timeout,
                     window.terminal.get(), [&run] { ++run.ticks; });
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, window.terminal.get(), [&] {
        run.largestPending =
            std::max(run.largestPending, window.terminal->VekComm().pendingOutput());
    });
    sample.start(5);

    const qsizetype sentBefore = sentLines(window);
    const qint64 farEndBefore = window.farEnd.bytesRead();
    const double cpuBefore = processCpuSeconds();
    const double farEndCpuBefore = window.farEnd.cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    window.click("RapidCmd");
    Window::run(seconds * 250);
    const qint64 residentEarly = residentBytes();
    const qsizetype logEarly = window.terminal->log()->text().size();
    Window::run(seconds * 750);
    window.click("RapidCmd");
    run.seconds = clock.nsecsElapsed() / 1e9;
    run.farEndBytes = window.farEnd.bytesRead() - farEndBefore;
    const double processCpu = processCpuSeconds() - cpuBefore;
    run.residentGrowth = residentBytes() - residentEarly;
    run.logGrowth = window.terminal->log()->text().size() - logEarly;
    run.sends = sentLines(window) - sentBefore;
    window.farEnd.stop();
    // The far end's thread is not the program.
    run.cpuShare = (processCpu - (window.farEnd.cpuSeconds() - farEndCpuBefore)) / run.seconds;
    return run;
}

void fastFarEnd(Report &report)
{
    constexpr int kSeconds = 60;
    Window window;
    window.farEnd.read(0, true);
    // One byte a tick is what a 9600-baud line carries at a thousand ticks a
    // second; longer commands go out at the line's pace instead.
    const Run run = rapidFire(window, "A", kSeconds);
    const double fraction = double(run.sends) / double(run.ticks);
    const QString name = QStringLiteral("Rapid Fire \"A\", echoing far end, %1 s: ").arg(kSeconds);
    report.info(name + QStringLiteral("timer ticks"),
                fixed(run.ticks / run.seconds, 0) + QStringLiteral(" /s"));
    report.goal(name + QStringLiteral("ticks that send"),
                fixed(fraction * 100, 1) + QStringLiteral(" % (") +
                    fixed(run.sends / run.seconds, 0) + QStringLiteral(" /s)"),
                QStringLiteral(">= 90 %"), fraction >= 0.9);
    report.info(name + QStringLiteral("bytes that arrived"),
                QStringLiteral("%1 of %2").arg(run.farEndBytes).arg(run.sends));
    report.goal(name + QStringLiteral("CPU, window on screen"),
                fixed(run.cpuShare * 100, 1) + QStringLiteral(" % of a core"),
                QStringLiteral("<= 15 %"), run.cpuShare <= 0.15);
    report.info(name + QStringLiteral("log lines at the end"),
                QString::number(window.terminal->logModel().lineCount()));
}

// A command longer than a byte a tick: the line, not the timer, sets the pace.
void longerCommand(Report &report)
{
    constexpr int kSeconds = 10;
    Window window;
    window.farEnd.read(0, true);
    const Run run = rapidFire(window, "PL\r", kSeconds);
    const QString name =
        QStringLiteral("Rapid Fire \"PL\" CR, echoing far end, %1 s: ").arg(kSeconds);
    report.info(name + QStringLiteral("ticks that send"),
                fixed(100.0 * double(run.sends) / double(run.ticks), 1) + QStringLiteral(" %"));
    report.info(name + QStringLiteral("bytes sent"),
                fixed(run.farEndBytes / run.seconds, 0) +
                    QStringLiteral(" B/s (a 9600-baud line carries 960)"));
}

void slowFarEnd(Report &report)
{
    constexpr int kSeconds = 20;
    constexpr int kLineRate = 960;
    const QByteArray command = "PL\r";
    Window window;
    window.farEnd.read(kLineRate, false);
    const Run run = rapidFire(window, command, kSeconds);
    const double throughput = double(run.farEndBytes) / (kLineRate * run.seconds);
    const qint64 allowed = RapidFire::kTransmitBuffer + command.size();
    const qint64 pending = window.farEnd.largestUnread();
    const QString name =
        QStringLiteral("Rapid Fire \"PL\" CR, far end reading 960 B/s, %1 s: ").arg(kSeconds);
    report.goal(name + QStringLiteral("throughput"),
                fixed(throughput * 100, 1) + QStringLiteral(" % of 960 B/s"),
                QStringLiteral(">= 90 %"), throughput >= 0.9);
    report.goal(name + QStringLiteral("largest pending, seen by the far end"),
                QStringLiteral("%1 bytes").arg(pending), QStringLiteral("<= %1 bytes").arg(allowed),
                pending <= allowed);
    report.info(name + QStringLiteral("largest pending, seen by the program"),
                QStringLiteral("%1 bytes").arg(run.largestPending));
    // The log keeps every send; anything beyond that would be a queue.
    const qint64 slack = 1024 * 1024;
    report.goal(name + QStringLiteral("memory growth over the last 3/4"),
                QStringLiteral("%1 KiB (log grew %2 KiB)")
                    .arg(run.residentGrowth / 1024)
                    .arg(run.logGrowth / 1024),
                QStringLiteral("<= log growth + 1 MiB"),
                run.residentGrowth <= run.logGrowth + slack);
    report.info(name + QStringLiteral("CPU"),
                fixed(run.cpuShare * 100, 1) + QStringLiteral(" % of a core"));
}

} // namespace

int main(int argc, char **argv)
{
    choosePlatform();
    QApplication app(argc, argv);
    Report report(QStringLiteral("rapidfire"));
    // Its parts: fast, paced, slow.
    const Parts parts(app.arguments().mid(1));
    if (parts.wanted(QStringLiteral("fast")))
        fastFarEnd(report);
    if (parts.wanted(QStringLiteral("paced")))
        longerCommand(report);
    if (parts.wanted(QStringLiteral("slow")))
        slowFarEnd(report);
    return report.exitCode();
}
