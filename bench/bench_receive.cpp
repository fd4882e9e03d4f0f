// The receive path: a far end that floods the program as fast as it takes
// the bytes, and one that sends at the pace of a real 9600-baud line.
#include "loopwatch.h"
#include "report.h"
#include "terminal/logview.h"
#include "window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>

using namespace zentrel;
using namespace zentrel::bench;

namespace {

constexpr qsizetype kFloodBytes = 2'000'000;

void flood(Report &report, const QByteArray &view)
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

    const QString name =
        QStringLiteral("receive flood of 2,000,000 bytes, \"%1\": ").arg(QString::fromLatin1(view));
    const double megabytes = double(kFloodBytes) / 1e6;
    const double rate = megabytes / seconds;
    const double cpuPerMb = cpu / megabytes;
    const double perByte = double(growth) / double(kFloodBytes);
    const bool standard = view == "Standard";
    const bool complete = received == kFloodBytes;
    if (standard) {
        report.goal(name + QStringLiteral("rate"), fixed(rate, 1) + QStringLiteral(" MB/s"),
                    QStringLiteral(">= 8 MB/s"), complete && rate >= 8);
        report.goal(name + QStringLiteral("CPU"), fixed(cpuPerMb, 3) + QStringLiteral(" s/MB"),
                    QStringLiteral("<= 0.1 s/MB"), cpuPerMb <= 0.1);
        report.goal(name + QStringLiteral("memory growth"),
                    fixed(perByte, 2) + QStringLiteral(" B per byte"),
                    QStringLiteral("<= 1.5 B per byte"), perByte <= 1.5);
    } else {
        report.info(name + QStringLiteral("rate"), fixed(rate, 1) + QStringLiteral(" MB/s"));
        report.info(name + QStringLiteral("CPU"), fixed(cpuPerMb, 3) + QStringLiteral(" s/MB"));
        report.info(name + QStringLiteral("memory growth"),
                    fixed(perByte, 2) + QStringLiteral(" B per byte"));
    }
    report.goal(name + QStringLiteral("longest event loop stall"),
                fixed(watch.longestStallMs(), 1) + QStringLiteral(" ms"),
                QStringLiteral("<= 20 ms"), watch.longestStallMs() <= 20);
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
        flood(report, "Standard");
        flood(report, "Hex");
    }
    if (parts.wanted(QStringLiteral("line")))
        lineRate(report);
    return report.exitCode();
}
