// The log as long as the show: memory at growing lengths, the spill file's
// size, the event loop while blocks go to disk, appends and repaints far
// into a long log, Save Log of a spilled log against dd, and the window and
// the real program under a long flood. ZENTREL_BENCH_LONG=1 (bench/run.sh
// --long) runs the full sizes; otherwise each runs small.
#include "childprogram.h"
#include "loopwatch.h"
#include "report.h"
#include "terminal/logview.h"
#include "traffic.h"
#include "window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>

using namespace zentrel;
using namespace zentrel::bench;

namespace {

const bool kLong = qEnvironmentVariableIsSet("ZENTREL_BENCH_LONG");
constexpr qint64 kMiB = 1 << 20;
constexpr qint64 kGrowthGoal = 64 * kMiB;

QString folder()
{
    static QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/zentrel-spill-XXXXXX"));
    return dir.path();
}

LogText::Limits limits()
{
    LogText::Limits limits;
    limits.folder = folder();
    return limits;
}

// The log enlarged with its window to the whole screen: its scroll range and
// place follow, and every row is painted at once. Following the end, then
// scrolled away to the middle. The window is that large already: making its
// pixels is the windowing system's part.
void repaintEnlarged(Report &report, LogView &view, qsizetype lines)
{
    const QSize screen = view.screen()->geometry().size();
    QWidget window;
    window.resize(screen);
    view.setParent(&window);
    window.show();
    view.show();
    if (!QTest::qWaitForWindowExposed(&window))
        qWarning("the window was not shown");
    auto *bar = view.verticalScrollBar();
    double worst = 0;
    for (const double at : {1.0, 1.0, 0.5, 0.5}) {
        view.resize(800, 600);
        bar->setValue(int(bar->maximum() * at));
        view.viewport()->repaint();
        QElapsedTimer clock;
        clock.start();
        view.resize(screen);
        view.viewport()->repaint();
        worst = std::max(worst, clock.nsecsElapsed() / 1e6);
    }
    const bool whole = view.viewport()->height() > screen.height() - 100;
    view.setParent(nullptr);
    report.goal(QStringLiteral("repaint after a resize to the whole screen (%1 by %2) at %L3 lines")
                    .arg(screen.width())
                    .arg(screen.height())
                    .arg(lines),
                fixed(worst, 2) + QStringLiteral(" ms"), QStringLiteral("< 5 ms"),
                whole && worst < 5);
}

void lines(Report &report)
{
    std::vector<qsizetype> sizes = {1'000, 1'000'000};
    if (kLong)
        sizes.insert(sizes.end(), {10'000'000, 100'000'000});
    LogView view;
    view.log().setLimits(limits());
    Traffic traffic{view, true};
    QCoreApplication::processEvents();
    const qint64 before = residentBytes();
    std::vector<double> costs;
    for (const auto count : sizes) {
        traffic.growTo(count);
        const qint64 growth = residentBytes() - before;
        report.goal(QStringLiteral("memory growth at %L1 lines").arg(count), mebibytes(growth),
                    QStringLiteral("<= 64 MiB"), growth <= kGrowthGoal);
        costs.push_back(traffic.appendCost());
        report.info(QStringLiteral("append at %L1 lines").arg(count),
                    fixed(costs.back(), 0) + QStringLiteral(" ns"));
    }
    const double ratio = costs.back() / costs.front();
    report.goal(QStringLiteral("append %L1 : 1,000 lines").arg(sizes.back()), fixed(ratio, 2),
                QStringLiteral("<= 1.5"), ratio <= 1.5);

    // Jumps far from anything read before, each painted at once.
    view.resize(800, 600);
    view.show();
    QCoreApplication::processEvents();
    auto *bar = view.verticalScrollBar();
    // The first paint of a window sets up its fonts, whatever the log holds.
    view.viewport()->repaint();
    double worst = 0;
    for (const double at : {0.0, 0.5, 1.0, 0.25, 0.75}) {
        QElapsedTimer clock;
        clock.start();
        bar->setValue(int(bar->maximum() * at));
        view.viewport()->repaint();
        worst = std::max(worst, clock.nsecsElapsed() / 1e6);
    }
    QElapsedTimer clock;
    clock.start();
    QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
    view.viewport()->repaint();
    worst = std::max(worst, clock.nsecsElapsed() / 1e6);
    report.goal(QStringLiteral("repaint after a jump at %L1 lines").arg(sizes.back()),
                fixed(worst, 2) + QStringLiteral(" ms"), QStringLiteral("< 5 ms"), worst < 5);
    repaintEnlarged(report, view, sizes.back());
}

// Spills what the log holds beyond its memory, one block a step, and keeps
// the longest step: the time the event loop would wait for it. The goal is
// on the step's own CPU time, which a neighbour taking the core for a while
// does not lengthen; the wall time is shown beside it.
struct LongestStep
{
    double cpuMs = 0;
    double wallMs = 0;
};

void spillTimed(LogText &log, LongestStep &longest)
{
    while (log.wantsSpill()) {
        QElapsedTimer clock;
        clock.start();
        const double cpu = threadCpuSeconds();
        log.spillStep();
        longest.cpuMs = std::max(longest.cpuMs, (threadCpuSeconds() - cpu) * 1e3);
        longest.wallMs = std::max(longest.wallMs, clock.nsecsElapsed() / 1e6);
    }
}

void reportLongestStep(Report &report, const QString &what, const LongestStep &longest)
{
    report.goal(QStringLiteral("longest spill of one block (%1), CPU").arg(what),
                fixed(longest.cpuMs, 1) + QStringLiteral(" ms"), QStringLiteral("<= 10 ms"),
                longest.cpuMs <= 10);
    report.info(QStringLiteral("longest spill of one block (%1), wall").arg(what),
                fixed(longest.wallMs, 1) + QStringLiteral(" ms"));
}

// A defined show: Rapid Fire rounds of a Pelvox2 play answered by R, with a
// tenth of the text random bytes shown in Hex.
void showLog(Report &report)
{
    const qint64 size = (kLong ? 1024 : 128) * kMiB;
    LogText log;
    log.setLimits(limits());
    LogWriter writer(log);
    QRandomGenerator random(1);
    qint64 hex = 0;
    LongestStep longestStep;
    QByteArray bytes(16, '\0');
    while (log.size() < size) {
        writer.write("PL\r", Direction::Sent, ViewMode::Standard);
        writer.write("R\r", Direction::Received, ViewMode::Standard);
        if (hex < log.size() / 10) {
            random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), 4);
            writer.write(bytes, Direction::Received, ViewMode::Hex);
            hex += bytes.size() * 4;
        }
        spillTimed(log, longestStep);
    }
    reportLongestStep(report, QStringLiteral("show log"), longestStep);
    const double ratio =
        double(log.spillFileSize()) / double(log.spilledBlocks() * LogText::Limits().blockSize);
    report.goal(QStringLiteral("spill file : text of the show log (%1)").arg(mebibytes(size)),
                fixed(ratio, 3), QStringLiteral("<= 0.25"), ratio <= 0.25);
}

// Fills a log with random bytes shown in Hex.
void fillHex(LogText &log, qint64 size, const std::function<void()> &turn)
{
    QByteArray random(16 * kMiB, '\0');
    QRandomGenerator(2).fillRange(reinterpret_cast<quint32 *>(random.data()), random.size() / 4);
    LogWriter writer(log);
    writer.write("PL\r", Direction::Sent, ViewMode::Hex);
    for (qint64 at = 0; log.size() < size; at = (at + 65536) % random.size()) {
        writer.write(QByteArrayView(random).sliced(at, 65536), Direction::Received, ViewMode::Hex);
        turn();
    }
}

void hexAndStall(Report &report)
{
    const qint64 size = (kLong ? 4096 : 256) * kMiB;
    LogView view;
    view.log().setLimits(limits());
    QCoreApplication::processEvents();
    const qint64 before = residentBytes();
    // Each piece arrives as its own event, so the watch sees only spilling.
    QEventLoop loop;
    QTimer piece;
    piece.setInterval(0);
    LogWriter writer(view.log());
    QByteArray random(16 * kMiB, '\0');
    QRandomGenerator(2).fillRange(reinterpret_cast<quint32 *>(random.data()), random.size() / 4);
    qint64 at = 0;
    QObject::connect(&piece, &QTimer::timeout, [&] {
        writer.write(QByteArrayView(random).sliced(at, 16384), Direction::Received, ViewMode::Hex);
        view.contentChanged();
        at = (at + 16384) % random.size();
        if (view.log().size() >= size)
            loop.quit();
    });
    // Started last: making the random bytes is no stall of the program's.
    LoopWatch watch;
    piece.start();
    loop.exec();
    watch.stop();
    const qint64 growth = residentBytes() - before - random.size();
    report.goal(QStringLiteral("memory growth at %1 of Hex text").arg(mebibytes(size)),
                mebibytes(growth), QStringLiteral("<= 64 MiB"), growth <= kGrowthGoal);
    // Everything that ran on the loop counts here, the view's repaints too.
    report.goal(
        QStringLiteral(
            "longest event loop stall while spilling Hex, less waits for a core or the host"),
        fixed(watch.longestOwnStallMs(), 1) + QStringLiteral(" ms"), QStringLiteral("<= 10 ms"),
        watch.longestOwnStallMs() <= 10);
    report.info(QStringLiteral("longest event loop stall while spilling Hex, all of it"),
                fixed(watch.longestStallMs(), 1) + QStringLiteral(" ms"));
    LongestStep longestStep;
    LogText log;
    log.setLimits(limits());
    fillHex(log, std::min<qint64>(size, 512 * kMiB), [&] { spillTimed(log, longestStep); });
    reportLongestStep(report, QStringLiteral("random Hex"), longestStep);
}

double ddRate(qint64 size, const QString &path)
{
    QElapsedTimer clock;
    clock.start();
    QProcess::execute(QStringLiteral("dd"),
                      {QStringLiteral("if=/dev/zero"), QStringLiteral("of=") + path,
                       QStringLiteral("bs=1M"), QStringLiteral("count=%1").arg(size / kMiB),
                       QStringLiteral("conv=fsync"), QStringLiteral("status=none")});
    const double rate = double(size) / 1e6 / (clock.nsecsElapsed() / 1e9);
    QFile::remove(path);
    return rate;
}

void save(Report &report)
{
    const qint64 size = (kLong ? 4096 : 256) * kMiB;
    Window window("Hex");
    auto &log = window.terminal->log()->log();
    log.setLimits(limits());
    fillHex(log, size, [&] {
        while (log.wantsSpill())
            log.spillStep();
    });
    const QString path = folder() + QStringLiteral("/saved.log");
    // The fill's pages are still being written back; dd and the save both
    // start on a disk that has finished with them.
    QProcess::execute(QStringLiteral("sync"), {});
    const double ddBefore = ddRate(size, folder() + QStringLiteral("/dd.bin"));
    QTimer::singleShot(0, [path] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            dialog->selectFile(path);
            static_cast<QDialog *>(dialog)->accept();
        }
    });
    auto *button = window.terminal->findChild<QPushButton *>(QStringLiteral("SaveLogCmd"));
    QElapsedTimer clock;
    LoopWatch *watch = nullptr;
    QTimer::singleShot(0, [&] {
        clock.start();
        watch = new LoopWatch;
    });
    window.click("SaveLogCmd");
    bool progress = false;
    while (!button->isEnabled()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        progress = progress || window.terminal->findChild<QProgressDialog *>();
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    watch->stop();
    const bool whole = QFile(path).size() == log.size() + 2;
    QFile::remove(path);
    const double rate = double(size) / 1e6 / seconds;
    const double ddAfter = ddRate(size, folder() + QStringLiteral("/dd.bin"));
    const double dd = std::max(ddBefore, ddAfter);
    report.goal(QStringLiteral("Save Log of %1 Hex, spilled (dd: %2 and %3 MB/s)")
                    .arg(mebibytes(size), fixed(ddBefore, 0), fixed(ddAfter, 0)),
                fixed(rate, 0) + QStringLiteral(" MB/s"), QStringLiteral(">= 80% of dd"),
                whole && rate >= 0.8 * dd);
    report.goal(QStringLiteral("Save Log: longest event loop stall"),
                fixed(watch->longestStallMs(), 1) + QStringLiteral(" ms"),
                QStringLiteral("<= 100 ms"), watch->longestStallMs() <= 100);
    report.goal(QStringLiteral("Save Log: progress shown past a second"),
                progress ? QStringLiteral("yes") : QStringLiteral("no"), QStringLiteral("yes"),
                progress || seconds < 1);
    delete watch;
}

void flood(Report &report)
{
    const qint64 size = (kLong ? 2048 : 64) * kMiB;
    Window window;
    window.terminal->log()->log().setLimits(limits());
    const QByteArray traffic = mixedTraffic(16 * kMiB);
    qint64 received = 0;
    QObject::connect(&window.terminal->VekComm(), &SerialLink::received, window.terminal.get(),
                     [&](const QByteArray &bytes) { received += bytes.size(); });
    Window::run(200);
    const qint64 before = residentBytes();
    LoopWatch watch;
    for (qint64 sent = 0; sent < size; sent += traffic.size()) {
        window.farEnd.flood(traffic);
        while (received < sent + traffic.size())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        window.farEnd.join();
    }
    Window::run(200);
    watch.stop();
    const qint64 growth = residentBytes() - before;
    report.goal(QStringLiteral("window memory growth, %1 flood").arg(mebibytes(size)),
                mebibytes(growth), QStringLiteral("<= 64 MiB"), growth <= kGrowthGoal);
    report.goal(
        QStringLiteral("window under a %1 flood: longest stall, less waits for a core or the host")
            .arg(mebibytes(size)),
        fixed(watch.longestOwnStallMs(), 1) + QStringLiteral(" ms"), QStringLiteral("<= 20 ms"),
        watch.longestOwnStallMs() <= 20);
    report.info(
        QStringLiteral("window under a %1 flood: longest stall, all of it").arg(mebibytes(size)),
        fixed(watch.longestStallMs(), 1) + QStringLiteral(" ms"));
}

// The real program, run as on a show day, under a long flood: its memory
// before and after, and the longest gap in its reading of the port. It reads
// the port on its event loop, so while that loop stalls the line fills and
// the far end's writes wait.
void program(Report &report)
{
    const qint64 size = (kLong ? 2048 : 64) * kMiB;
    const QString name = QStringLiteral("program under a %1 flood: ").arg(mebibytes(size));
    FarEnd farEnd;
    const QString cache = folder() + QStringLiteral("/cache");
    ChildProgram zentrel(QStringLiteral(ZENTREL_PROGRAM_PATH), farEnd.slavePath(), cache);
    if (!zentrel.waitForPort(20000)) {
        report.goal(name + QStringLiteral("port 1 opened"), QStringLiteral("no"),
                    QStringLiteral("yes"), false);
        qWarning("the program did not open its port: %s", qPrintable(zentrel.errors()));
        return;
    }
    zentrel.livesOn(1000);
    const qint64 before = zentrel.memory("VmRSS");
    const QByteArray traffic = mixedTraffic(16 * kMiB);
    QElapsedTimer clock;
    clock.start();
    farEnd.flood(traffic, int(size / traffic.size()));
    bool alive = true;
    while (alive && farEnd.bytesWritten() < size)
        alive = zentrel.livesOn(50);
    while (alive && farEnd.waitingForProgram() > 0)
        alive = zentrel.livesOn(1);
    const double seconds = clock.nsecsElapsed() / 1e9;
    farEnd.stop();
    // Its spill and its repaints catch up.
    alive = alive && zentrel.livesOn(1000);
    const qint64 after = zentrel.memory("VmRSS");
    const qint64 peak = zentrel.memory("VmHWM");
    // Unlinked at once, but still open: the text went to disk, and to our folder.
    const QStringList files = zentrel.openFiles();
    const bool spilled = std::any_of(files.begin(), files.end(),
                                     [&](const QString &file) { return file.startsWith(cache); });
    const bool ended = alive && zentrel.end(10000);
    if (!alive)
        qWarning("the program ended under the flood: %s", qPrintable(zentrel.errors()));

    const qint64 growth = after - before;
    report.goal(name + QStringLiteral("memory growth (VmRSS %1 before)").arg(mebibytes(before)),
                mebibytes(growth), QStringLiteral("<= 64 MiB"), alive && growth <= kGrowthGoal);
    report.info(name + QStringLiteral("peak memory (VmHWM)"), mebibytes(peak));
    report.info(name + QStringLiteral("spill file open in the benchmark's folder"),
                spilled ? QStringLiteral("yes") : QStringLiteral("no"));
    const double gap = farEnd.longestWriteWaitMs();
    report.goal(name + QStringLiteral("longest gap in its reading (far end waiting for room)"),
                fixed(gap, 1) + QStringLiteral(" ms"), QStringLiteral("<= 100 ms"),
                alive && gap <= 100);
    report.info(name + QStringLiteral("rate"),
                fixed(double(size) / 1e6 / seconds, 1) + QStringLiteral(" MB/s"));
    report.goal(name + QStringLiteral("ends on SIGTERM"),
                ended ? QStringLiteral("yes") : QStringLiteral("no"), QStringLiteral("yes"), ended);
}

} // namespace

int main(int argc, char **argv)
{
    choosePlatform();
    QApplication app(argc, argv);
    Report report(QStringLiteral("spill"));
    // Its parts: lines, show, hex, save, flood, program.
    const Parts parts(app.arguments().mid(1));
    if (parts.wanted(QStringLiteral("lines")))
        lines(report);
    if (parts.wanted(QStringLiteral("show")))
        showLog(report);
    if (parts.wanted(QStringLiteral("hex")))
        hexAndStall(report);
    if (parts.wanted(QStringLiteral("save")))
        save(report);
    if (parts.wanted(QStringLiteral("flood")))
        flood(report);
    if (parts.wanted(QStringLiteral("program")))
        program(report);
    return report.exitCode();
}
