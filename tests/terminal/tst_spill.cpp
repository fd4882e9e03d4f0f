#include "terminal/logview.h"
#include "terminal/logwriter.h"
#include "terminalharness.h"
#include "testhelpers.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QRandomGenerator>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>

#include <fcntl.h>
#include <functional>
#include <sys/mount.h>
#include <unistd.h>

using namespace zentrel;
using namespace zentrel::test;

namespace {

// Small enough that a few kilobytes of traffic spill many blocks.
LogText::Limits smallLimits(const QString &folder, bool nameless = true)
{
    return {4096, 8192, folder, nameless};
}

// Sent lines, short answers, and one answer far longer than a block, with
// every byte value in it.
void playShow(const std::function<void(const QByteArray &, Direction)> &write)
{
    QRandomGenerator random(7);
    for (int n = 0; n < 300; ++n) {
        write("PL" + QByteArray::number(n) + "\r", Direction::Sent);
        QByteArray answer(n == 150 ? 40000 : int(random.bounded(1, 60)), '\0');
        for (char &byte : answer)
            byte = char(random.bounded(256));
        write(answer, Direction::Received);
    }
}

LogText inMemory(ViewMode mode)
{
    LogText log;
    LogWriter writer(log);
    playShow([&](const QByteArray &bytes, Direction direction) {
        writer.write(bytes, direction, mode);
    });
    return log;
}

// The show written into a log that spills whenever it can.
void spillShow(LogText &log, ViewMode mode)
{
    LogWriter writer(log);
    playShow([&](const QByteArray &bytes, Direction direction) {
        writer.write(bytes, direction, mode);
        while (log.wantsSpill())
            log.spillStep();
    });
}

// The spill files this process holds open in the folder, by descriptor.
QList<int> spillFiles(const QString &folder)
{
    QList<int> found;
    const QString prefix = QDir(folder).canonicalPath() + '/';
    for (int fd = 0; fd < 1024; ++fd) {
        char link[4096];
        const QByteArray name = "/proc/self/fd/" + QByteArray::number(fd);
        const auto size = ::readlink(name.constData(), link, sizeof link);
        if (size > 0 && QFile::decodeName(QByteArray(link, size)).startsWith(prefix))
            found.append(fd);
    }
    return found;
}

// A small file system of its own, unmounted at the end.
struct Mount
{
    QTemporaryDir dir;
    bool mounted = false;
    Mount(unsigned long flags, const char *options)
    {
        mounted = ::mount("tmpfs", QFile::encodeName(dir.path()).constData(), "tmpfs", flags,
                          options) == 0;
    }
    ~Mount()
    {
        if (mounted)
            ::umount2(QFile::encodeName(dir.path()).constData(), MNT_DETACH);
    }
};

// What the screen shows of the view, as its last repaints left it.
QImage onScreen(LogView &view)
{
    return view.screen()->grabWindow(view.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

// What a complete repaint of the view gives.
QImage repainted(LogView &view)
{
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Appends only mark the view; give the coalesced repaint its frame.
void letItPaint()
{
    QTest::qWait(60);
}

} // namespace

// The log: its view, and the text it keeps on disk.
class TestSpill : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsBackWhatItSpilled_data()
    {
        QTest::addColumn<ViewMode>("mode");
        QTest::addColumn<bool>("nameless");
        QTest::newRow("standard view, nameless file") << ViewMode::Standard << true;
        QTest::newRow("hex view, nameless file") << ViewMode::Hex << true;
        QTest::newRow("named file unlinked at once") << ViewMode::Mixed << false;
    }

    void readsBackWhatItSpilled()
    {
        QFETCH(ViewMode, mode);
        QFETCH(bool, nameless);
        QTemporaryDir folder;
        const LogText expected = inMemory(mode);
        LogText log;
        log.setLimits(smallLimits(folder.path(), nameless));
        spillShow(log, mode);
        QVERIFY(log.spilledBlocks() > 10);
        QVERIFY(log.memoryBytes() < 3 * 8192);
        QVERIFY(!log.takeSpillFault());
        QCOMPARE(log.size(), expected.size());
        QCOMPARE(log.lineCount(), expected.lineCount());
        QCOMPARE(log.longestLine(), expected.longestLine());
        for (qsizetype line = 0; line < log.lineCount(); ++line) {
            const auto start = expected.lineStart(line);
            QCOMPARE(log.lineStart(line), start);
            QCOMPARE(log.lineLength(line), expected.lineLength(line));
            QCOMPARE(log.lineOf(start + expected.lineLength(line) / 2), line);
        }
        QVERIFY(log.text() == expected.text());
        // Nothing to see in the folder, and only this user could read it.
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
        const auto files = spillFiles(folder.path());
        QCOMPARE(files.size(), 1);
        QCOMPARE(ownershipOf(QStringLiteral("/proc/self/fd/%1").arg(files[0])).mode, 0600);
        // A copy, as Save Log takes, reads on after Clear Log; the disk
        // space goes back once both are done with it.
        auto copy = std::make_unique<LogText>(log);
        log.clear();
        QVERIFY(copy->text() == expected.text());
        QCOMPARE(log.text(), QByteArray());
        copy.reset();
        QCOMPARE(spillFiles(folder.path()), QList<int>());
    }

    void damagedBlockIsNeverShownAsText_data()
    {
        QTest::addColumn<bool>("truncated");
        QTest::newRow("bytes overwritten") << false;
        QTest::newRow("file cut short") << true;
    }

    void damagedBlockIsNeverShownAsText()
    {
        QFETCH(bool, truncated);
        QTemporaryDir folder;
        const LogText expected = inMemory(ViewMode::Hex);
        LogText log;
        log.setLimits(smallLimits(folder.path()));
        spillShow(log, ViewMode::Hex);
        const auto files = spillFiles(folder.path());
        QCOMPARE(files.size(), 1);
        if (truncated)
            QCOMPARE(::ftruncate(files[0], 10), 0);
        else
            QCOMPARE(::pwrite(files[0], "garbage!", 8, 40), ssize_t(8));
        QByteArray out;
        QVERIFY(!log.read(0, 100, out));
        QVERIFY(!log.read(0, log.size(), out));
        QCOMPARE(out, QByteArray());
        // Every line still answers, in order, and the text in memory reads.
        qsizetype previous = -1;
        for (qsizetype line = 0; line < log.lineCount(); ++line) {
            QVERIFY(log.lineStart(line) > previous);
            previous = log.lineStart(line);
            QVERIFY(log.lineLength(line) >= 0);
            QCOMPARE(log.lineOf(previous), line);
        }
        QVERIFY(log.read(log.size() - 100, 100, out));
        QVERIFY(out == expected.text().right(100));
    }

    // The window spills and saves the log byte for byte as it was
    // received; when the disk fails it keeps the log in memory and says so
    // once.
    void windowSavesEverything_data()
    {
        QTest::addColumn<QString>("cache");
        QTest::addColumn<bool>("fails");
        QTest::newRow("cache folder") << "plain" << false;
        QTest::newRow("missing cache folder") << "missing" << true;
        QTest::newRow("read-only cache folder") << "read-only" << true;
        QTest::newRow("disk fills while spilling") << "full" << true;
    }

    void windowSavesEverything()
    {
        QFETCH(QString, cache);
        QFETCH(bool, fails);
        std::unique_ptr<Mount> mount;
        if (cache == "read-only" || cache == "full") {
            ZENTREL_REQUIRE_ROOT();
            mount = std::make_unique<Mount>(cache == "full" ? 0 : MS_RDONLY, "size=16k");
            QVERIFY(mount->mounted);
        }
        TerminalHarness t;
        QString folder = mount ? mount->dir.path() : t.dir.filePath("cache");
        if (cache == "missing") {
            QVERIFY(QFile(t.dir.filePath("file")).open(QIODevice::WriteOnly));
            folder = t.dir.filePath("file/cache");
        }
        auto &log = t.window->log()->log();
        log.setLimits(smallLimits(folder));
        playShow([&](const QByteArray &bytes, Direction direction) {
            if (direction == Direction::Sent)
                return t.window->SendCommand(bytes);
            const auto before = log.size();
            t.device.write(bytes);
            for (QDeadlineTimer wait(5000);
                 log.size() - before < bytes.size() && !wait.hasExpired();)
                QTest::qWait(1);
        });
        QTRY_VERIFY(!log.wantsSpill());
        const LogText expected = inMemory(ViewMode::Standard);
        QCOMPARE(log.size(), expected.size());
        QCOMPARE(log.spilledBlocks() > 10, !fails);
        QTest::qWait(20);
        QCOMPARE(t.messages.texts(), fails ? QStringList{kSpillFault} : QStringList());
        const QString path = t.dir.filePath("show.log");
        answerSaveDialog(path);
        t.click("SaveLogCmd");
        QTRY_VERIFY(QFile::exists(path));
        QVERIFY(fileContent(path) == expected.text() + "\r\n");
        QCOMPARE(t.messages.texts(), fails ? QStringList{kSpillFault} : QStringList());
        if (!fails) {
            QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                     QStringList());
        }
    }

    void copyRefusesHugeSelection()
    {
        QTemporaryDir folder;
        RecordingMessages messages;
        LogView view;
        view.setMessages(&messages);
        view.log().setLimits({1 << 20, 8 << 20, folder.path()});
        const QByteArray piece(1 << 20, 'x');
        view.log().appendLine("Receiving: ");
        for (int n = 0; n < 65; ++n)
            view.log().append(piece);
        QApplication::clipboard()->setText(QStringLiteral("before"));
        view.selectAll();
        view.copy();
        QCOMPARE(messages.texts(), QStringList{LogView::kTooLargeToCopy});
        QCOMPARE(messages.shown.first().title, kAppTitle);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));
        // A small selection from the spilled text copies as ever.
        QVERIFY(view.log().spilledBlocks() > 10);
        QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
        for (int n = 0; n < 14; ++n)
            QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
        view.copy();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Receiving: xxx"));
        QCOMPARE(messages.texts(), QStringList{LogView::kTooLargeToCopy});
    }

    // Appends redraw only the rows they touch; the screen must still match a
    // full repaint afterwards.
    void screenMatchesFullRepaint_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<QByteArray>("glued");
        QTest::addColumn<QByteArray>("newLine");
        QTest::addColumn<bool>("scrolledUp");
        QTest::newRow("piece glued to a short last line")
            << 3 << QByteArray("abc") << QByteArray() << false;
        QTest::newRow("piece glued past the right edge")
            << 3 << QByteArray(500, 'x') << QByteArray() << false;
        QTest::newRow("new line while following the end")
            << 40 << QByteArray() << QByteArray("Receiving: R|") << false;
        QTest::newRow("new line and glued piece on a full view")
            << 40 << QByteArray("more") << QByteArray("Command Sent:  PL|") << false;
        QTest::newRow("new lines while the operator looks further up")
            << 40 << QByteArray("more") << QByteArray("Command Sent:  PL|") << true;
    }

    void screenMatchesFullRepaint()
    {
        QFETCH(int, lines);
        QFETCH(QByteArray, glued);
        QFETCH(QByteArray, newLine);
        QFETCH(bool, scrolledUp);
        LogView view;
        view.resize(300, 160);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        for (int n = 0; n < lines; ++n)
            view.log().appendLine("Command Sent:  line " + QByteArray::number(n));
        view.contentChanged();
        letItPaint();
        if (scrolledUp)
            view.verticalScrollBar()->setValue(2);
        letItPaint();

        for (int round = 0; round < 3; ++round) {
            view.log().append(glued);
            if (!newLine.isEmpty())
                view.log().appendLine(newLine);
            view.contentChanged();
            letItPaint();
            QCOMPARE(onScreen(view), repainted(view));
        }
        QCOMPARE(view.verticalScrollBar()->value() == view.verticalScrollBar()->maximum(),
                 !scrolledUp);
    }
};

QTEST_MAIN(TestSpill)
#include "tst_spill.moc"
