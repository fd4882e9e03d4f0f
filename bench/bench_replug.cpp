// Replugging: how soon the port is open again after its device comes back,
// and what waiting for a pulled device costs the window.
#include "farend.h"
#include "report.h"
#include "window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <vector>

using namespace zentrel;
using namespace zentrel::bench;

namespace {

// The window on port 1 and the device currently plugged in as it.
struct Bench
{
    Window window;
    // The device behind port 1 after the first replug; before, the window's own.
    std::unique_ptr<FarEnd> device;

    SerialLink &link() { return window.terminal->VekComm(); }
    FarEnd &current() { return device ? *device : window.farEnd; }

    // Pulls the device as a cable is pulled; true once the link has closed
    // on the line error. The pulled device is gone, node and all.
    bool pull()
    {
        current().unplug();
        const bool failed = waitFor(link(), &SerialLink::lineFailed, 2000);
        device.reset();
        return failed && !link().isOpen() && link().isWaiting();
    }

    // Plugs a new device in by re-pointing the link; the seconds until the
    // port is open again, or a negative number when it did not open.
    double replug()
    {
        device = std::make_unique<FarEnd>();
        QElapsedTimer clock;
        clock.start();
        window.dir.pin(1, device->slavePath());
        if (!waitFor(link(), &SerialLink::reopened, 5000) || !link().isOpen())
            return -1;
        return clock.nsecsElapsed() / 1e9;
    }

    // True when bytes from the device behind the port reach the program.
    bool carries()
    {
        qsizetype received = 0;
        QEventLoop loop;
        QObject::connect(&link(), &SerialLink::received, &loop, [&](const QByteArray &bytes) {
            received += bytes.size();
            if (received >= 3)
                loop.quit();
        });
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        current().flood("R\r\n");
        loop.exec();
        current().join();
        return received >= 3;
    }
};

void reopen(Report &report, Bench &bench)
{
    constexpr int kRounds = 5;
    std::vector<double> times;
    bool carried = true;
    for (int round = 0; round < kRounds; ++round) {
        if (!bench.pull()) {
            times.push_back(-1);
            break;
        }
        // A device is seldom plugged back at once.
        Window::run(500);
        const double seconds = bench.replug();
        times.push_back(seconds);
        if (seconds < 0)
            break;
        carried = carried && bench.carries();
    }
    const bool allOpened = std::none_of(times.begin(), times.end(), [](double t) { return t < 0; });
    std::sort(times.begin(), times.end());
    const double worst = allOpened ? times.back() : -1;
    const double median = times[times.size() / 2];
    const QString name = QStringLiteral("reopen after a replug (%1 replugs): ").arg(kRounds);
    if (!allOpened) {
        report.goal(name + QStringLiteral("worst"), QStringLiteral("did not reopen"),
                    QStringLiteral("< 1000 ms"), false);
        return;
    }
    report.goal(name + QStringLiteral("worst"), fixed(worst * 1000, 0) + QStringLiteral(" ms"),
                QStringLiteral("< 1000 ms"), worst < 1.0 && carried);
    report.goal(name + QStringLiteral("median"), fixed(median * 1000, 0) + QStringLiteral(" ms"),
                QStringLiteral("< 1000 ms"), median < 1.0 && carried);
}

void waiting(Report &report, Bench &bench)
{
    constexpr int kSeconds = 30;
    const bool pulled = bench.pull();
    const double cpuBefore = processCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    Window::run(kSeconds * 1000);
    const double share = (processCpuSeconds() - cpuBefore) / (clock.nsecsElapsed() / 1e9) * 100;
    report.goal(QStringLiteral("waiting %1 s for a pulled device: CPU").arg(kSeconds),
                fixed(share, 2) + QStringLiteral(" % of a core"), QStringLiteral("< 1 %"),
                pulled && bench.link().isWaiting() && share < 1);
}

} // namespace

int main(int argc, char **argv)
{
    choosePlatform();
    QApplication app(argc, argv);
    Report report(QStringLiteral("replug"));
    Bench bench;
    Window::run(200);
    // Its parts: reopen, wait.
    const Parts parts(app.arguments().mid(1));
    if (parts.wanted(QStringLiteral("reopen")))
        reopen(report, bench);
    if (parts.wanted(QStringLiteral("wait")))
        waiting(report, bench);
    return report.exitCode();
}
