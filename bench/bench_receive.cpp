// The receive path: a far end that floods the program as fast as it takes
// the bytes, and one that sends at the pace of a real 9600-baud line.
#include "loopwatch.h"
#include "report.h"
#include "terminal/logview.h"
#include "window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>

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
FloodRun floodOnce(const QByteArray &view)
{
    Window window(view);
    const QByteArray traffic = mixedTraffic(kFloodBytes);
    QEventLoop allThere;
    qsizetype received = 0;
    QObject::connect(&window.terminal->VekComm(), &SerialLink::received, &allThere,
                     [&](const QByteArray &bytes) {
                         received += bytes.size();
                         if (received >= kFloodBytes)
                             allThere.quit();
                     });
    Window::run(200);

    const qint64 residentBefore = residentBytes();
    const double cpuBefore = processCpuSeconds();
    LoopWatch watch;
    QElapsedTimer clock;
    clock.start();
    window.farEnd.flood(traffic);
    allThere.exec();
    // Idle again: whatever the bytes set off (the repaint) has run.
    QCoreApplication::processEvents();
    const double seconds = clock.nsecsElapsed() / 1e9;
    watch.stop();
    window.farEnd.join();
    const double cpu =
        processCpuSeconds() - cpuBefore - window.farEnd.cpuSeconds() - watch.cpuSeconds();
    const qint64 growth = residentBytes() - residentBefore;
    const double megabytes = double(kFloodBytes) / 1e6;
    return {megabytes / seconds, cpu / megabytes, double(growth) / double(kFloodBytes),
            watch.longestStallMs(), received == kFloodBytes};
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
    QElapsedTimer clock;
    clock.start();
    window.farEnd.trickle(mixedTraffic(kSeconds * kBytesPerSecond), kBytesPerSecond);
    Window::run(kSeconds * 1000);
    window.farEnd.stop();
    const double seconds = clock.nsecsElapsed() / 1e9;
    const double share =
        (processCpuSeconds() - cpuBefore - window.farEnd.cpuSeconds()) / seconds * 100;
    report.info(QStringLiteral("receive at 960 B/s for %1 s: bytes received").arg(kSeconds),
                QString::number(received));
    report.goal(QStringLiteral("receive at 960 B/s for %1 s: CPU").arg(kSeconds),
                fixed(share, 2) + QStringLiteral(" % of a core"), QStringLiteral("<= 2 %"),
                share <= 2 && received >= kSeconds * kBytesPerSecond * 9 / 10);
}

} // namespace

int main(int argc, char **argv)
{
    choosePlatform();
    QApplication app(argc, argv);
    Report report(QStringLiteral("receive"));
    // Its parts: flood, line.
    const Parts parts(app.arguments().mid(1));
    if (parts.wanted(QStringLiteral("flood"))) {
        // A little over twice this round's figures, 0.008 and 0.022 s/MB.
        flood(report, "Standard", 0.02);
        flood(report, "Hex", 0.05);
    }
    if (parts.wanted(QStringLiteral("line")))
        lineRate(report);
    return report.exitCode();
}
