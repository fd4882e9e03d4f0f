// Ports on a serial device server: receiving through ser2net over RFC 2217
// against a local pseudo-terminal, back after the server restarts, the cost
// of waiting for it, and the start with servers that never answer.
#include "app/splashwindow.h"
#include "farend.h"
#include "networkservers.h"
#include "report.h"
#include "serial/telnetcodec.h"
#include "window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace zentrel;
using namespace zentrel::bench;

namespace {

constexpr qsizetype kFloodBytes = 2'000'000;
constexpr int kFloodRuns = 5;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Flood
{
    double rate = 0;        // MB/s
    double cpuPerMb = 0;    // s/MB of this process, the far end's thread left out
    double serverShare = 0; // of a core, while the flood lasted
    bool complete = false;
};

// By default ser2net reads the device 64 bytes at a time and holds each
// piece for two characters' time, a few hundred kilobytes a second at most:
// set up for a flood, it hands on what the device has.
std::unique_ptr<test::Ser2Net> floodServer(const QString &device)
{
    return std::make_unique<test::Ser2Net>(
        device, test::Ser2Net::Accepter::Rfc2217, false,
        QStringLiteral("    dev-to-net-bufsize: 65536\n    chardelay: false\n"));
}

// The CPU time a process has used, in seconds.
double cpuSecondsOf(qint64 pid)
{
    const QByteArray stat = test::fileContent(QStringLiteral("/proc/%1/stat").arg(pid));
    const auto fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 12 ? double(fields.at(11).toLongLong() + fields.at(12).toLongLong()) /
                                    double(::sysconf(_SC_CLK_TCK))
                              : 0;
}

// The same flood through the same server to a bare socket that only counts
// what arrives (escaped 255s and all): the most the server delivers here.
double serverAloneRate()
{
    FarEnd device;
    const auto server = floodServer(device.slavePath());
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(server->port());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return 0;
    }
    // Binary both ways, as the program asks, so ser2net frames the flood alike.
    const QByteArray opening = TelnetCodec().start();
    if (::write(fd, opening.constData(), size_t(opening.size())) != opening.size())
        qWarning("the bare socket's opening was not sent");
    Window::run(200);
    QElapsedTimer clock;
    clock.start();
    device.flood(mixedTraffic(kFloodBytes));
    qsizetype received = 0;
    char buffer[65536];
    while (received < kFloodBytes) {
        const auto n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        received += n;
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    ::close(fd);
    device.join();
    return received >= kFloodBytes ? double(kFloodBytes) / 1e6 / seconds : 0;
}

// One flood from the device into a window opened for it, straight or
// through ser2net.
Flood floodOnce(bool throughServer)
{
    std::unique_ptr<test::Ser2Net> server;
    const auto serve = [&](const QString &device) {
        server = floodServer(device);
        return server->pin();
    };
    Window window("Standard", throughServer ? std::function(serve) : nullptr);
    const QByteArray traffic = mixedTraffic(kFloodBytes);
    QEventLoop allThere;
    qsizetype received = 0;
    QObject::connect(&window.terminal->VekComm(), &SerialLink::received, &allThere,
                     [&](const QByteArray &bytes) {
                         received += bytes.size();
                         if (received >= kFloodBytes)
                             allThere.quit();
                     });
    QTimer::singleShot(60000, &allThere, &QEventLoop::quit);
    Window::run(200);
    const qint64 serverPid = server ? server->processId() : 0;
    const double serverBefore = serverPid ? cpuSecondsOf(serverPid) : 0;
    const double cpuBefore = processCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    window.farEnd.flood(traffic);
    allThere.exec();
    QCoreApplication::processEvents();
    const double seconds = clock.nsecsElapsed() / 1e9;
    window.farEnd.join();
    const double cpu = processCpuSeconds() - cpuBefore - window.farEnd.cpuSeconds();
    const double serverCpu = serverPid ? cpuSecondsOf(serverPid) - serverBefore : 0;
    const double megabytes = double(kFloodBytes) / 1e6;
    return {megabytes / seconds, cpu / megabytes, serverCpu / seconds, received == kFloodBytes};
}

void receive(Report &report)
{
    std::vector<double> rates[2], cpu[2], serverShares, alone;
    bool complete = true;
    // Alternated, so all meet the machine in the same moods.
    for (int run = 0; run < kFloodRuns; ++run) {
        for (const bool throughServer : {false, true}) {
            const Flood flood = floodOnce(throughServer);
            rates[throughServer].push_back(flood.rate);
            cpu[throughServer].push_back(flood.cpuPerMb);
            complete = complete && flood.complete;
            if (throughServer)
                serverShares.push_back(flood.serverShare);
        }
        alone.push_back(serverAloneRate());
    }
    const double localRate = median(rates[0]), serverRate = median(rates[1]);

    const double localCpu = median(cpu[0]), serverCpu = median(cpu[1]);
    const QString name = QStringLiteral("receive flood of 2,000,000 bytes, \"Standard\", median "
                                        "of %1: ")
                             .arg(kFloodRuns);
    const double aloneRate = median(alone);
    report.info(name + QStringLiteral("local pseudo-terminal rate"),
                fixed(localRate, 1) + QStringLiteral(" MB/s"));
    report.info(name + QStringLiteral("ser2net's own CPU while it lasts"),
                fixed(median(serverShares) * 100, 0) + QStringLiteral(" % of a core"));
    // ser2net hands on what it reads from a pseudo-terminal a kilobyte or so
    // at a time, waking itself for each: that, not the program, sets the
    // rate here, so the program is held against what the same ser2net
    // delivers to a bare socket, and the local rate stands beside it.
    report.info(name + QStringLiteral("ser2net to a bare socket"),
                fixed(aloneRate, 1) + QStringLiteral(" MB/s"));
    report.goal(name + QStringLiteral("through ser2net, RFC 2217, rate"),
                fixed(serverRate, 1) + QStringLiteral(" MB/s (%1 % of the bare socket's)")
                                           .arg(fixed(serverRate / aloneRate * 100, 0)),
                QStringLiteral(">= 80 % of the bare socket's"),
                complete && serverRate >= 0.8 * aloneRate);
    report.context(name + QStringLiteral("through ser2net against the local pseudo-terminal"),
                   fixed(serverRate / localRate * 100, 0) + QStringLiteral(" % of its rate"),
                   QStringLiteral(">= 80 % (ser2net's ceiling decides)"));
    report.info(name + QStringLiteral("local pseudo-terminal CPU"),
                fixed(localCpu, 3) + QStringLiteral(" s/MB"));
    report.goal(name + QStringLiteral("through ser2net, RFC 2217, CPU"),
                fixed(serverCpu, 3) +
                    QStringLiteral(" s/MB (%1 times)").arg(fixed(serverCpu / localCpu, 2)),
                QStringLiteral("<= 1.5 times the local CPU"), serverCpu <= 1.5 * localCpu);
}

void reconnect(Report &report)
{
    constexpr int kRestarts = 5;
    constexpr int kWaitSeconds = 30;
    std::unique_ptr<test::Ser2Net> server;
    Window window("Standard", [&](const QString &device) {
        server = std::make_unique<test::Ser2Net>(device, test::Ser2Net::Accepter::Rfc2217);
        return server->pin();
    });
    SerialLink &link = window.terminal->VekComm();
    std::vector<double> times;
    bool allBack = link.isOpen();
    for (int restart = 0; restart < kRestarts && allBack; ++restart) {
        QTimer::singleShot(0, [&] { server->stop(); });
        allBack = waitFor(link, &SerialLink::lineFailed, 5000);
        // A restarting server is seldom back at once.
        Window::run(700);
        allBack = allBack && server->start();
        QElapsedTimer clock;
        clock.start();
        allBack = allBack && waitFor(link, &SerialLink::reopened, 10000) && link.isOpen();
        times.push_back(clock.nsecsElapsed() / 1e9);
    }
    const double worst = *std::max_element(times.begin(), times.end());
    report.goal(QStringLiteral("ser2net restarted, listening to port open again: worst of %1")
                    .arg(kRestarts),
                allBack ? fixed(worst * 1000, 0) + QStringLiteral(" ms")
                        : QStringLiteral("did not reopen"),
                QStringLiteral("< 2000 ms"), allBack && worst < 2.0);

    server->stop();
    const bool failed = waitFor(link, &SerialLink::lineFailed, 5000);
    const double cpuBefore = processCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    Window::run(kWaitSeconds * 1000);
    const double share = (processCpuSeconds() - cpuBefore) / (clock.nsecsElapsed() / 1e9) * 100;
    report.goal(QStringLiteral("waiting %1 s for a stopped server: CPU").arg(kWaitSeconds),
                fixed(share, 2) + QStringLiteral(" % of a core"), QStringLiteral("< 1 %"),
                failed && link.isWaiting() && share < 1);
}

// The start as the program runs it, the splash's wait aside: the splash's
// probe, then the main window's load.
double startSeconds(bool silentServers)
{
    test::AppDirectory dir;
    test::PseudoTerminal device;
    std::vector<std::unique_ptr<test::Listener>> silent;
    for (int n = com::kLowestPort; n <= com::kHighestPort; ++n) {
        if (n == 2) {
            dir.pin(n, device);
        } else if (silentServers) {
            silent.push_back(std::make_unique<test::Listener>(0));
            silent.back()->silence();
            dir.pinServer(n, "rfc2217://127.0.0.1:" + QByteArray::number(silent.back()->port()));
        }
    }
    dir.writeIni(settingsFor("Standard"));
    test::RecordingMessages messages;
    std::unique_ptr<Terminal> terminal;
    QElapsedTimer clock;
    clock.start();
    SplashWindow(messages, [&] { terminal = std::make_unique<Terminal>(messages); }).GoProg_Timer();
    const double seconds = clock.nsecsElapsed() / 1e9;
    return terminal && terminal->VekComm().isOpen() ? seconds : -1;
}

void startUp(Report &report)
{
    std::vector<double> plain, silent;
    for (int run = 0; run < 3; ++run) {
        plain.push_back(startSeconds(false));
        silent.push_back(startSeconds(true));
    }
    const bool started = std::all_of(silent.begin(), silent.end(), [](double t) { return t >= 0; });
    const double added = median(silent) - median(plain);
    report.info(QStringLiteral("start without servers, probe and load (median of 3)"),
                fixed(median(plain) * 1000, 0) + QStringLiteral(" ms"));
    report.goal(QStringLiteral("start with 16 servers that drop every packet: added"),
                fixed(added * 1000, 0) + QStringLiteral(" ms"), QStringLiteral("< 1500 ms"),
                started && added < 1.5);
}

} // namespace

int main(int argc, char **argv)
{
    choosePlatform();
    QApplication app(argc, argv);
    Report report(QStringLiteral("network"));
    if (test::Ser2Net::program().isEmpty()) {
        report.goal(QStringLiteral("ser2net"), QStringLiteral("not installed"),
                    QStringLiteral("scripts/deps.sh --test"), false);
        return report.exitCode();
    }
    // Its parts: receive, reconnect, start.
    const Parts parts(app.arguments().mid(1));
    if (parts.wanted(QStringLiteral("receive")))
        receive(report);
    if (parts.wanted(QStringLiteral("reconnect")))
        reconnect(report);
    if (parts.wanted(QStringLiteral("start")))
        startUp(report);
    return report.exitCode();
}
