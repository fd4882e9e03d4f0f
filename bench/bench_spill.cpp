// The log as long as the show: memory at growing lengths, the spill file's
// size, the event loop while blocks go to disk, appends and repaints far
// into a long log, a single received line of 500,000,000 bytes, memory when
// no folder takes the spill file, Save Log of a spilled log against dd, and
// the window and the real program under a long flood. ZENTREL_BENCH_LONG=1
// (bench/run.sh --long) runs the full sizes; otherwise most run small.
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
    limits.folders = {folder()};
    return limits;
}

// The longest of the font sizes' cycle, each painted at once.
double fontChangeMs(LogView &view)
{
    double worst = 0;
    for (const double size : {12.0, 14.0, 8.0, 10.0}) {
        QElapsedTimer clock;
        clock.start();
        view.setFontPointSize(size);
        view.viewport()->repaint();
        worst = std::max(worst, clock.nsecsElapsed() / 1e6);
    }
    return worst;
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
    LogModel log;
    log.setLimits(limits());
    LogView view(log);
    Traffic traffic{log, true};
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
    const double font = fontChangeMs(view);
    report.goal(QStringLiteral("font change, repainted, at %L1 lines").arg(sizes.back()),
                fixed(font, 2) + QStringLiteral(" ms"), QStringLiteral("< 5 ms"), font < 5);
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

// Fills a log with random bytes shown in Hex: `write` takes each piece and
// says how long the log has grown.
void fillHex(qint64 size, const std::function<qint64(QByteArrayView, Direction)> &write)
{
    QByteArray random(16 * kMiB, '\0');
    QRandomGenerator(2).fillRange(reinterpret_cast<quint32 *>(random.data()), random.size() / 4);
    write("PL\r", Direction::Sent);
    for (qint64 at = 0;
         write(QByteArrayView(random).sliced(at, 65536), Direction::Received) < size;)
        at = (at + 65536) % random.size();
}

void hexAndStall(Report &report)
{
    const qint64 size = (kLong ? 4096 : 256) * kMiB;
    LogModel model;
    model.setLimits(limits());
    LogView view(model);
    QCoreApplication::processEvents();
    const qint64 before = residentBytes();
    // Each piece arrives as its own event, so the watch sees only spilling.
    QEventLoop loop;
    QTimer piece;
    piece.setInterval(0);
    QByteArray random(16 * kMiB, '\0');
    QRandomGenerator(2).fillRange(reinterpret_cast<quint32 *>(random.data()), random.size() / 4);
    qint64 at = 0;
    QObject::connect(&piece, &QTimer::timeout, [&] {
        model.write(QByteArrayView(random).sliced(at, 16384), Direction::Received, ViewMode::Hex);
        at = (at + 16384) % random.size();
        if (model.size() >= size)
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
    LogWriter writer(log);
    fillHex(std::min<qint64>(size, 512 * kMiB), [&](QByteArrayView bytes, Direction direction) {
        writer.write(bytes, direction, ViewMode::Hex);
        spillTimed(log, longestStep);
        return log.size();
    });
    reportLongestStep(report, QStringLiteral("random Hex"), longestStep);
}

QByteArray randomBytes(qint64 size)
{
    QByteArray random(size, '\0');
    QRandomGenerator(2).fillRange(reinterpret_cast<quint32 *>(random.data()), random.size() / 4);
    return random;
}

// Nanoseconds per piece of 16 bytes glued in Hex to the log's last line:
// the best of a few rounds.
double gluedCost(LogModel &log, const QByteArray &random)
{
    double best = 1e12;
    for (int round = 0; round < 20; ++round) {
        constexpr int kPieces = 1000;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < kPieces; ++i)
            log.write(QByteArrayView(random).sliced(i * 16, 16), Direction::Received,
                      ViewMode::Hex);
        best = std::min(best, double(clock.nsecsElapsed()) / kPieces);
        QCoreApplication::processEvents();
    }
    return best;
}

// Lets the log move out what it holds beyond its memory and the disk take
// it, so that a measure after it pays for its own text alone.
void settle(const LogText &log)
{
    while (log.wantsSpill() || log.spillWaiting() > 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// A 2,000,000-byte flood into the window, in MB/s.
double floodRate(Window &window)
{
    settle(window.terminal->logModel().text());
    const QByteArray traffic = mixedTraffic(2'000'000);
    QEventLoop allThere;
    qsizetype received = 0;
    const auto connection = QObject::connect(&window.terminal->VekComm(), &SerialLink::received,
                                             &allThere, [&](const QByteArray &bytes) {
                                                 if ((received += bytes.size()) >= traffic.size())
                                                     allThere.quit();
                                             });
    Window::run(200);
    QElapsedTimer clock;
    clock.start();
    window.farEnd.flood(traffic);
    allThere.exec();
    QCoreApplication::processEvents();
    const double seconds = clock.nsecsElapsed() / 1e9;
    window.farEnd.join();
    QObject::disconnect(connection);
    return double(traffic.size()) / 1e6 / seconds;
}

// A device that streams without a command in between puts everything on one
// received line: 500,000,000 bytes in Hex make it 2,000,000,011 characters,
// far more pixels than an int holds. The goals are those that hold for many
// lines.
void longLine(Report &report)
{
    constexpr qint64 kBytes = 500'000'000;
    const QByteArray random = randomBytes(16 * kMiB);
    Window window("Hex");
    LogModel &log = window.terminal->logModel();
    log.setLimits(limits());
    // As the window would take the device's pieces, a turn of the event
    // loop (a block spilled) for each.
    for (qint64 done = 0; done < kBytes; done += 65536) {
        const auto size = std::min<qint64>(65536, kBytes - done);
        log.write(QByteArrayView(random).sliced(done % random.size(), size), Direction::Received,
                  ViewMode::Hex);
        QCoreApplication::processEvents();
    }
    settle(log.text());
    // Its file's pages are still being written back; the measures start on
    // a disk that is done with them.
    QProcess::execute(QStringLiteral("sync"), {});
    const QString name = QStringLiteral("one received line of %L1 bytes in Hex (%L2 characters): ")
                             .arg(kBytes)
                             .arg(log.lineLength(0));

    LogModel shortLog;
    LogView shortView(shortLog);
    shortLog.write(QByteArray(22, 'x'), Direction::Received, ViewMode::Hex);
    const double shortCost = gluedCost(shortLog, random);
    const double longCost = gluedCost(log, random);
    report.info(name + QStringLiteral("glued append"), fixed(longCost, 0) + QStringLiteral(" ns"));
    report.goal(name + QStringLiteral("glued append : to a 100-character line (%1 ns)")
                           .arg(fixed(shortCost, 0)),
                fixed(longCost / shortCost, 2), QStringLiteral("<= 1.5"),
                longCost / shortCost <= 1.5);

    // Jumps to its end and back, each painted at once.
    LogView *view = window.terminal->log();
    view->setFocus();
    view->viewport()->repaint();
    double worst = 0;
    for (const auto &[key, modifiers] : {std::pair{Qt::Key_End, Qt::ControlModifier},
                                         {Qt::Key_Home, Qt::NoModifier},
                                         {Qt::Key_End, Qt::NoModifier},
                                         {Qt::Key_Home, Qt::ControlModifier},
                                         {Qt::Key_End, Qt::ControlModifier}}) {
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(view, key, modifiers);
        view->viewport()->repaint();
        worst = std::max(worst, clock.nsecsElapsed() / 1e6);
    }
    const bool atEnd = view->firstColumn() + view->visibleColumns() >= log.lineLength(0);
    report.goal(name + QStringLiteral("repaint after a jump to its end or start"),
                fixed(worst, 2) + QStringLiteral(" ms"), QStringLiteral("< 5 ms"),
                atEnd && worst < 5);
    const double font = fontChangeMs(*view);
    report.goal(name + QStringLiteral("font change, repainted, at its end"),
                fixed(font, 2) + QStringLiteral(" ms"), QStringLiteral("< 5 ms"), font < 5);

    // Floods glued to it, against floods into a window whose log holds as
    // much in short lines of the same random bytes, so that both move the
    // same text out meanwhile; the best of five each, as the machine's other
    // load slows some runs by half or more.
    std::vector<double> glued, lines;
    for (int run = 0; run < 5; ++run) {
        glued.push_back(floodRate(window));
        Window other("Hex");
        LogModel &otherLog = other.terminal->logModel();
        otherLog.setLimits(limits());
        for (qint64 at = 0; otherLog.size() < 2 * LogText::Limits().memory; at += 64) {
            otherLog.write("PL\r", Direction::Sent, ViewMode::Hex);
            otherLog.write(QByteArrayView(random).sliced(at, 64), Direction::Received,
                           ViewMode::Hex);
            if (at % 65536 == 0)
                QCoreApplication::processEvents();
        }
        lines.push_back(floodRate(other));
    }
    const double rate = *std::max_element(glued.begin(), glued.end());
    const double linesRate = *std::max_element(lines.begin(), lines.end());
    report.goal(name + QStringLiteral("receive flood of 2,000,000 bytes glued to it, best of 5 "
                                      "(into a log of short lines: %1 MB/s)")
                           .arg(fixed(linesRate, 1)),
                fixed(rate, 1) + QStringLiteral(" MB/s"),
                QStringLiteral(">= 90% of the short lines' rate"), rate >= 0.9 * linesRate);
}

// Resident memory per received byte while the log grows from `from` to `to`
// received bytes, each piece handed to `write`; the text the log keeps as
// it is, before the growth, does not count.
double growthPerByte(qint64 from, qint64 to, const std::function<void(qint64)> &write)
{
    qint64 received = 0;
    qint64 before = 0;
    for (; received < to; received += 65536) {
        if (received >= from && before == 0)
            before = residentBytes();
        write(received);
    }
    return double(residentBytes() - before) / double(to - from);
}

// No folder takes a spill file (a file stands where each should be): the
// log keeps its blocks in memory, packed as they would lie on disk. Then
// only the cache folder refuses, and the next folder takes the file.
void noFolder(Report &report)
{
    const QString blocked = folder() + QStringLiteral("/file");
    QFile(blocked).open(QIODevice::WriteOnly);
    LogText::Limits nowhere;
    nowhere.folders = {blocked + QStringLiteral("/cache"), blocked + QStringLiteral("/runtime"),
                       blocked + QStringLiteral("/tmp")};
    const qint64 size = (kLong ? 1024 : 160) * kMiB;
    {
        const QByteArray random = randomBytes(16 * kMiB);
        LogText log;
        log.setLimits(nowhere);
        LogWriter writer(log);
        const double perByte = growthPerByte(32 * kMiB, size, [&](qint64 at) {
            writer.write(QByteArrayView(random).sliced(at % random.size(), 65536),
                         Direction::Received, ViewMode::Hex);
            while (log.wantsSpill())
                log.spillStep();
        });
        report.goal(QStringLiteral("no folder writable: memory per received byte, random bytes "
                                   "in Hex (%1 received)")
                        .arg(mebibytes(size)),
                    fixed(perByte, 3) + QStringLiteral(" B"), QStringLiteral("<= 1.1 B"),
                    log.keptInMemory() && perByte <= 1.1);
    }
    {
        const QByteArray traffic = mixedTraffic(16 * kMiB);
        LogText log;
        log.setLimits(nowhere);
        LogWriter writer(log);
        const double perByte = growthPerByte(64 * kMiB, 2 * size, [&](qint64 at) {
            writer.write(QByteArrayView(traffic).sliced(at % traffic.size(), 65536),
                         Direction::Received, ViewMode::Standard);
            while (log.wantsSpill())
                log.spillStep();
        });
        report.goal(QStringLiteral("no folder writable: memory per received byte, text traffic "
                                   "in Standard (%1 received)")
                        .arg(mebibytes(2 * size)),
                    fixed(perByte, 3) + QStringLiteral(" B"), QStringLiteral("<= 0.25 B"),
                    log.keptInMemory() && perByte <= 0.25);
    }
    {
        LogText log;
        LogText::Limits cacheRefuses;
        cacheRefuses.folders = {nowhere.folders.first(), folder()};
        log.setLimits(cacheRefuses);
        LogWriter writer(log);
        const qint64 before = residentBytes();
        fillHex(size * 4, [&](QByteArrayView bytes, Direction direction) {
            writer.write(bytes, direction, ViewMode::Hex);
            while (log.wantsSpill())
                log.spillStep();
            return log.size();
        });
        const qint64 growth = residentBytes() - before;
        report.goal(QStringLiteral("only the cache folder refuses: memory growth at %1 of Hex text")
                        .arg(mebibytes(size * 4)),
                    mebibytes(growth), QStringLiteral("<= 64 MiB"),
                    !log.keptInMemory() && log.spillFileSize() > 0 && growth <= kGrowthGoal);
    }
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
    LogModel &log = window.terminal->logModel();
    log.setLimits(limits());
    // A turn of the event loop a piece: a block of Hex text, spilled by the
    // log's own turn.
    fillHex(size, [&](QByteArrayView piece, Direction direction) {
        log.write(piece, direction, ViewMode::Hex);
        QCoreApplication::processEvents();
        return log.size();
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
    window.terminal->logModel().setLimits(limits());
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
    // Its parts: lines, show, hex, line, nofolder, save, flood, program.
    const Parts parts(app.arguments().mid(1));
    if (parts.wanted(QStringLiteral("lines")))
        lines(report);
    if (parts.wanted(QStringLiteral("show")))
        showLog(report);
    if (parts.wanted(QStringLiteral("hex")))
        hexAndStall(report);
    if (parts.wanted(QStringLiteral("line")))
        longLine(report);
    if (parts.wanted(QStringLiteral("nofolder")))
        noFolder(report);
    if (parts.wanted(QStringLiteral("save")))
        save(report);
    if (parts.wanted(QStringLiteral("flood")))
        flood(report);
    if (parts.wanted(QStringLiteral("program")))
        program(report);
    return report.exitCode();
}
