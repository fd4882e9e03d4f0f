// The receive path: a far end that floods the program as fast as it takes
// the bytes, the same flood while a screen reader's client listens to the
// log, and a far end that sends at the pace of a real 9600-baud line.
#include "loopwatch.h"
#include "report.h"
#include "terminal/logaccessible.h"
#include "terminal/logview.h"
#include "window.h"

#include <QAccessible>
#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

using namespace zentrel;
using namespace zentrel::bench;

namespace {

constexpr qsizetype kFloodBytes = 2'000'000;
// Each flood lasts a tenth of a second or less, so one run is at the mercy of
// whatever else the machine does in that moment: the rate is the median of a
// few runs.
constexpr int kFloodRuns = 5;

struct FloodRun
{
    double rate = 0;     // MB/s
    double cpuPerMb = 0; // s/MB
    double perByte = 0;  // memory growth, B per byte received
    double stallMs = 0;  // the event loop's longest wait
    bool complete = false;
};

// One flood into a window opened for it, as after a start: each run meets
// the same empty log, so the runs are alike and each reads as the figure of
// one flood did before. A window kept for all would hold a longer log at
// every run, and its later runs would find memory the earlier ones freed.
// A longer flood repeats the traffic `times` over; `settleMs` lets what the
// flood set off finish in the measured time.
FloodRun floodOnce(const QByteArray &view, int times = 1, int settleMs = 0)
{
    Window window(view);
    const QByteArray traffic = mixedTraffic(kFloodBytes);
    const qsizetype size = kFloodBytes * times;
    QEventLoop allThere;
    qsizetype received = 0;
    QObject::connect(&window.terminal->VekComm(), &SerialLink::received, &allThere,
                     [&](const QByteArray &bytes) {
                         received += bytes.size();
                         if (received >= size)
                             allThere.quit();
                     });
    Window::run(200);

    const qint64 residentBefore = residentBytes();
    const double cpuBefore = processCpuSeconds();
    LoopWatch watch;
    QElapsedTimer clock;
    clock.start();
    window.farEnd.flood(traffic, times);
    allThere.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    // Idle again: whatever the bytes set off (the repaint, an announcement
    // still due) has run.
    QCoreApplication::processEvents();
    if (settleMs > 0)
        Window::run(settleMs);
    watch.stop();
    window.farEnd.join();
    const double cpu =
        processCpuSeconds() - cpuBefore - window.farEnd.cpuSeconds() - watch.cpuSeconds();
    const qint64 growth = residentBytes() - residentBefore;
    const double megabytes = double(size) / 1e6;
    return {megabytes / seconds, cpu / megabytes, double(growth) / double(size),
            watch.longestStallMs(), received == size};
}

// The same flood taken by the plainest reader there is, read() into a buffer
// and nothing else: what this machine's pseudo-terminals carry right now.
// The program is held against it within the same run, so a missed goal
// means the program got slower, not the machine busier.
double plainReadOnce()
{
    FarEnd farEnd;
    const int fd =
        ::open(QFile::encodeName(farEnd.slavePath()).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        qFatal("cannot open the far end's line");
    const QByteArray traffic = mixedTraffic(kFloodBytes);
    static char buffer[1 << 16];
    qsizetype received = 0;
    QElapsedTimer clock;
    clock.start();
    farEnd.flood(traffic);
    while (received < kFloodBytes) {
        pollfd ready = {fd, POLLIN, 0};
        if (::poll(&ready, 1, 5000) <= 0)
            break;
        const auto n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            received += n;
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    farEnd.join();
    ::close(fd);
    return double(received) / 1e6 / seconds;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The runs of one view, each beside a plain reader's run of the same flood.
// Rates in MB/s follow whatever else the machine does in the tenth of a
// second a flood lasts, by half or double from one run to the next, the
// plain reader's as much as the program's: they are shown, the share of the
// plain reader's rate beside them. The goals are the program's own CPU time
// and memory per megabyte, which the machine's other work barely moves, so
// a missed goal means the program got slower.
void flood(Report &report, const QByteArray &view, double mostCpuPerMb)
{
    std::vector<FloodRun> runs;
    std::vector<double> plain;
    for (int k = 0; k < kFloodRuns; ++k) {
        plain.push_back(plainReadOnce());
        runs.push_back(floodOnce(view));
    }
    const auto each = [&](double FloodRun::*field) {
        std::vector<double> values;
        for (const auto &run : runs)
            values.push_back(run.*field);
        return values;
    };
    const auto rates = each(&FloodRun::rate);
    const auto stalls = each(&FloodRun::stallMs);
    const double rate = median(rates);
    const double plainRate = median(plain);
    const double cpuPerMb = median(each(&FloodRun::cpuPerMb));
    const auto growths = each(&FloodRun::perByte);
    const double perByte = *std::max_element(growths.begin(), growths.end());
    const double stall = median(stalls);
    const double worstStall = *std::max_element(stalls.begin(), stalls.end());
    const bool complete =
        std::all_of(runs.begin(), runs.end(), [](const FloodRun &run) { return run.complete; });

    const QString name = QStringLiteral("receive flood of 2,000,000 bytes, \"%1\", %2 runs: ")
                             .arg(QString::fromLatin1(view))
                             .arg(kFloodRuns);
    QStringList all;
    for (const double value : rates)
        all << fixed(value, 1);
    report.info(name + QStringLiteral("rate of each run"),
                all.join(QLatin1Char(' ')) + QStringLiteral(" MB/s"));
    report.info(name + QStringLiteral("median rate, and a plain reader's of the same floods"),
                fixed(rate, 1) + QStringLiteral(" and ") + fixed(plainRate, 1) +
                    QStringLiteral(" MB/s (") + fixed(rate / plainRate * 100, 0) +
                    QStringLiteral("%)"));
    report.goal(name + QStringLiteral("median CPU, every byte received"),
                fixed(cpuPerMb, 3) + QStringLiteral(" s/MB"),
                QStringLiteral("<= %1 s/MB").arg(fixed(mostCpuPerMb, 2)),
                complete && cpuPerMb <= mostCpuPerMb);
    // Hex shows a byte as four characters, all of them in memory at this size.
    if (view == "Standard")
        report.goal(name + QStringLiteral("largest memory growth"),
                    fixed(perByte, 2) + QStringLiteral(" B per byte"),
                    QStringLiteral("<= 1.5 B per byte"), perByte <= 1.5);
    else
        report.info(name + QStringLiteral("largest memory growth"),
                    fixed(perByte, 2) + QStringLiteral(" B per byte"));
    // The program's own stalls come back in every run, the machine's other
    // load in some: the median keeps the first and drops the second.
    report.goal(name + QStringLiteral("median of the longest event loop stalls"),
                fixed(stall, 1) + QStringLiteral(" ms"), QStringLiteral("<= 20 ms"), stall <= 20);
    report.info(name + QStringLiteral("longest event loop stall of all"),
                fixed(worstStall, 1) + QStringLiteral(" ms"));
}

constexpr char kReaderSession[] = "ZENTREL_BENCH_READER_SESSION";

// The same flood, long enough for several announcements, while a screen
// reader's client listens to the log's text on the AT-SPI bus, in runs taken
// by turns with runs where accessibility is off: the rates are held against
// each other within one run of the program, as the machine's load moves both.
// Runs in a D-Bus session of its own, with Qt's bridge to it switched on.
int screenReader(Report &report)
{
    const QString name = QStringLiteral("receive flood, a screen reader listening: ");
    if (!qEnvironmentVariableIsSet(kReaderSession)) {
        const QStringList missing = [] {
            QStringList tools;
            for (const char *tool : {"dbus-run-session", ZENTREL_SYSTEM_PYTHON})
                if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                    tools << QString::fromLatin1(tool);
            return tools;
        }();
        if (!missing.isEmpty()) {
            report.info(name + QStringLiteral("not measured"),
                        missing.join(QLatin1Char(' ')) +
                            QStringLiteral(" missing (scripts/deps.sh --test)"));
            return 0;
        }
        QProcess session;
        session.setProcessChannelMode(QProcess::ForwardedChannels);
        session.start(QStringLiteral("dbus-run-session"),
                      {QStringLiteral("--"), QStringLiteral("env"),
                       QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"),
                       QString::fromLatin1(kReaderSession) + QStringLiteral("=1"),
                       QCoreApplication::applicationFilePath(), QStringLiteral("reader")});
        session.waitForFinished(-1);
        return session.exitStatus() == QProcess::NormalExit ? session.exitCode() : 1;
    }
    // The listener starts the AT-SPI bus, which Qt's bridge waits for.
    QProcess listener;
    listener.start(QStringLiteral(ZENTREL_SYSTEM_PYTHON), {QStringLiteral(ZENTREL_BENCH_LISTENER)});
    while (listener.waitForReadyRead(20000) && !listener.canReadLine()) {
    }
    const bool listening = listener.readLine().trimmed() == "listening";
    for (QDeadlineTimer deadline(20000); !QAccessible::isActive() && !deadline.hasExpired();)
        Window::run(50);
    if (!listening || !QAccessible::isActive()) {
        report.goal(name + QStringLiteral("the listener and Qt's bridge"),
                    QString::fromLocal8Bit(listener.readAllStandardError().right(200)),
                    QStringLiteral("both up"), false);
        return 0;
    }
    // Half a second or more of flood each: several announcements' worth.
    constexpr int kTimes = 32;
    constexpr int kRuns = 7;
    std::vector<FloodRun> off, on;
    for (int k = 0; k < kRuns; ++k) {
        QAccessible::setActive(false);
        off.push_back(floodOnce("Standard", kTimes, LogAnnouncer::kInterval + 50));
        QAccessible::setActive(true);
        on.push_back(floodOnce("Standard", kTimes, LogAnnouncer::kInterval + 50));
    }
    listener.closeWriteChannel();
    listener.waitForFinished(20000);
    const QList<QByteArray> heard = listener.readAll().simplified().split(' ');

    const auto medianOf = [](const std::vector<FloodRun> &runs, double FloodRun::*field) {
        std::vector<double> values;
        values.reserve(runs.size());
        for (const auto &run : runs)
            values.push_back(run.*field);
        return median(values);
    };
    const auto complete = [](const std::vector<FloodRun> &runs) {
        return std::all_of(runs.begin(), runs.end(),
                           [](const FloodRun &run) { return run.complete; });
    };
    const double rateOff = medianOf(off, &FloodRun::rate), rateOn = medianOf(on, &FloodRun::rate);
    const double share = rateOn / rateOff * 100;
    const double stall = medianOf(on, &FloodRun::stallMs);
    double worstStall = 0;
    for (const auto &run : on)
        worstStall = std::max(worstStall, run.stallMs);
    const QString runs = QStringLiteral("%1,000,000 bytes, \"Standard\", %2 runs each: ")
                             .arg(kFloodBytes / 1'000'000 * kTimes)
                             .arg(kRuns);
    report.info(name + runs + QStringLiteral("median rate, accessibility off"),
                fixed(rateOff, 1) + QStringLiteral(" MB/s"));
    report.goal(name + runs + QStringLiteral("median rate, a screen reader listening"),
                fixed(rateOn, 1) + QStringLiteral(" MB/s (") + fixed(share, 0) +
                    QStringLiteral("% of off)"),
                QStringLiteral(">= 80% of off"), complete(off) && complete(on) && share >= 80);
    report.info(name + runs + QStringLiteral("median CPU, accessibility off and on"),
                fixed(medianOf(off, &FloodRun::cpuPerMb), 3) + QStringLiteral(" and ") +
                    fixed(medianOf(on, &FloodRun::cpuPerMb), 3) + QStringLiteral(" s/MB"));
    report.goal(name + runs + QStringLiteral("median of the longest event loop stalls"),
                fixed(stall, 1) + QStringLiteral(" ms"), QStringLiteral("<= 100 ms"), stall <= 100);
    report.info(name + runs + QStringLiteral("longest event loop stall of all"),
                fixed(worstStall, 1) + QStringLiteral(" ms"));
    report.info(name + QStringLiteral("text changes the listener heard, and their characters"),
                QString::fromLatin1(heard.join(" and ")));
    return 0;
}

// How often this thread has given up the processor to wait: each time the
// event loop slept and was woken.
qint64 threadWaits()
{
    QFile status(QStringLiteral("/proc/thread-self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("voluntary_ctxt_switches:"))
            return line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
    return 0;
}

// The CPU a trickle costs depends on what this machine charges for a wake-up
// (several times more in some virtual machines), so the goal is on how
// often the program wakes; the CPU is shown beside it.
void lineRate(Report &report)
{
    constexpr int kSeconds = 30;
    constexpr int kBytesPerSecond = 960;
    Window window;
    qsizetype received = 0;
    QObject::connect(&window.terminal->VekComm(), &SerialLink::received, window.terminal.get(),
                     [&](const QByteArray &bytes) { received += bytes.size(); });
    Window::run(200);

    const double cpuBefore = processCpuSeconds();
    const qint64 waitsBefore = threadWaits();
    QElapsedTimer clock;
    clock.start();
    window.farEnd.trickle(mixedTraffic(kSeconds * kBytesPerSecond), kBytesPerSecond);
    Window::run(kSeconds * 1000);
    window.farEnd.stop();
    const double seconds = clock.nsecsElapsed() / 1e9;
    const double wakeUps = double(threadWaits() - waitsBefore) / seconds;
    const double share =
        (processCpuSeconds() - cpuBefore - window.farEnd.cpuSeconds()) / seconds * 100;
    report.info(QStringLiteral("receive at 960 B/s for %1 s: bytes received").arg(kSeconds),
                QString::number(received));
    report.info(QStringLiteral("receive at 960 B/s for %1 s: CPU").arg(kSeconds),
                fixed(share, 2) + QStringLiteral(" % of a core"));
    // A wake-up for every byte or two would be 500 to 1000 a second; a
    // screen frame's worth of bytes at a time, with the repaint, some 120.
    report.goal(QStringLiteral("receive at 960 B/s for %1 s: event loop wake-ups").arg(kSeconds),
                fixed(wakeUps, 0) + QStringLiteral(" a second"), QStringLiteral("<= 200 a second"),
                wakeUps <= 200 && received >= kSeconds * kBytesPerSecond * 9 / 10);
}

} // namespace

int main(int argc, char **argv)
{
    choosePlatform();
    QApplication app(argc, argv);
    Report report(QStringLiteral("receive"));
    // Its parts: flood, reader, line.
    const Parts parts(QApplication::arguments().mid(1));
    if (qEnvironmentVariableIsSet(kReaderSession)) {
        screenReader(report);
        return report.exitCode();
    }
    if (parts.wanted(QStringLiteral("flood"))) {
        // A little over twice this round's figures, 0.008 and 0.022 s/MB.
        flood(report, "Standard", 0.02);
        flood(report, "Hex", 0.05);
    }
    const int reader = parts.wanted(QStringLiteral("reader")) ? screenReader(report) : 0;
    if (parts.wanted(QStringLiteral("line")))
        lineRate(report);
    return std::max(report.exitCode(), reader);
}
