// The log's own costs: appending at growing lengths, gluing to a huge line,
// its memory, saving it, and the start-up probe of every port number.
#include "appdirectory.h"
#include "farend.h"
#include "report.h"
#include "serial/com.h"
#include "terminal/logview.h"
#include "tools/filewriter.h"
#include "traffic.h"
#include "window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

using namespace zentrel;
using namespace zentrel::bench;

namespace {

// Nanoseconds per small piece glued to a received line that already holds
// `length` characters.
double gluedCostAt(qsizetype length)
{
    double best = 1e12;
    const QByteArray body(length - qsizetype(sizeof kReceivedLabel) + 1, 'x');
    for (int round = 0; round < 20; ++round) {
        LogText log;
        LogWriter writer(log);
        writer.write("PL\r", Direction::Sent, ViewMode::Standard);
        writer.write(body, Direction::Received, ViewMode::Standard);
        constexpr int kPieces = 1000;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < kPieces; ++i)
            writer.write("R\r\n", Direction::Received, ViewMode::Standard);
        best = std::min(best, double(clock.nsecsElapsed()) / kPieces);
    }
    return best;
}

void logAppends(Report &report)
{
    const qint64 residentBefore = residentBytes();
    LogModel log;
    LogView view(log);
    Traffic traffic{log};
    const std::vector<qsizetype> sizes = {1'000, 10'000, 100'000, 1'000'000};
    std::vector<double> costs;
    qint64 resident = 0;
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/zentrel-bench-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("session.log"));
    double saveSeconds = 0;
    bool savedWhole = false;
    qsizetype savedBytes = 0;
    for (const auto lines : sizes) {
        traffic.growTo(lines);
        if (lines == sizes.back()) {
            resident = residentBytes() - residentBefore;
            QElapsedTimer clock;
            clock.start();
            const bool saved = FileWriter::replace(path, {view.text(), "\r\n"});
            saveSeconds = clock.nsecsElapsed() / 1e9;
            savedBytes = view.text().size();
            savedWhole = saved && QFile(path).size() == savedBytes + 2;
        }
        costs.push_back(traffic.appendCost());
        report.info(QStringLiteral("log append at %L1 lines").arg(lines),
                    fixed(costs.back(), 0) + QStringLiteral(" ns"));
    }
    const double ratio = costs.back() / costs.front();
    report.goal(QStringLiteral("log append 1,000,000 : 1,000 lines"), fixed(ratio, 2),
                QStringLiteral("<= 1.5"), ratio <= 1.5);
    report.goal(QStringLiteral("log memory at %L1 lines").arg(sizes.back()), mebibytes(resident),
                QStringLiteral("< 32 MiB"), resident < 32 * 1024 * 1024);
    report.goal(
        QStringLiteral("Save Log of %L1 lines (%2)").arg(sizes.back()).arg(mebibytes(savedBytes)),
        fixed(saveSeconds * 1000, 0) + QStringLiteral(" ms"), QStringLiteral("< 1000 ms"),
        savedWhole && saveSeconds < 1.0);

    const double shortLine = gluedCostAt(100);
    const double longLine = gluedCostAt(1'000'000);
    report.info(QStringLiteral("glued append to a 100-character line"),
                fixed(shortLine, 0) + QStringLiteral(" ns"));
    report.info(QStringLiteral("glued append to a 1,000,000-character line"),
                fixed(longLine, 0) + QStringLiteral(" ns"));
    report.goal(QStringLiteral("glued append 1,000,000 : 100 characters"),
                fixed(longLine / shortLine, 2), QStringLiteral("<= 1.5"),
                longLine / shortLine <= 1.5);
}

// The probe as the program runs it at start: every number, one port pinned
// to a device and the others left to the system's serial devices. The
// numbering is settled once per program directory, so each round starts in
// a directory of its own and numbers the ports afresh, as a start does.
void startupProbe(Report &report)
{
    FarEnd device;
    std::vector<double> rounds;
    int found = 0;
    for (int round = 0; round < 7; ++round) {
        test::AppDirectory dir;
        dir.pin(1, device.slavePath());
        for (int n = com::kLowestPort; n <= com::kHighestPort; ++n) {
            if (n != 1)
                QFile::remove(dir.filePath(QStringLiteral("ports/COM%1").arg(n)));
        }
        QElapsedTimer clock;
        clock.start();
        found = int(com::ProbePorts().size());
        rounds.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(rounds.begin(), rounds.end());
    const double median = rounds[rounds.size() / 2];
    report.goal(QStringLiteral("probe of ports 0 to 16, numbered afresh (%1 found, median of 7)")
                    .arg(found),
                fixed(median, 1) + QStringLiteral(" ms"), QStringLiteral("< 100 ms"),
                median < 100 && found >= 1);
}

} // namespace

int main(int argc, char **argv)
{
    choosePlatform();
    QApplication app(argc, argv);
    Report report(QStringLiteral("log"));
    logAppends(report);
    startupProbe(report);
    return report.exitCode();
}
