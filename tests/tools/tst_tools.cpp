#include "terminal/logaccessible.h"
#include "terminal/logview.h"
#include "terminal/logwriter.h"
#include "terminalharness.h"
#include "testhelpers.h"
#include "tools/filewriter.h"
#include "tools/logtools.h"
#include "tools/rapidfire.h"
#include "tools/stringsfrm.h"

#include <QClipboard>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <fcntl.h>
#include <functional>
#include <optional>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace zentrel;
using namespace zentrel::test;

namespace {

QLineEdit *field(StringsFrm *dialog, int k)
{
    return dialog->findChild<QLineEdit *>(QStringLiteral("Str%1Txt").arg(k));
}

void press(StringsFrm *dialog, const char *button)
{
    QTest::mouseClick(dialog->findChild<QPushButton *>(QLatin1StringView(button)), Qt::LeftButton);
}

const QString kLineError = QStringLiteral("Error on COM1, port may be in use already!");

const QList<QByteArray> kStrings = {"\"S1\" h0d", "\"S2\" h0d", "\"S3\" h0d", "", "\"PL"};

int sentLines(const QByteArray &log)
{
    return int(log.count("Command Sent:"));
}

// Small enough that a few kilobytes of traffic spill many blocks.
LogText::Limits smallLimits(const QStringList &folders, bool nameless = true)
{
    return {4096, 8192, folders, nameless};
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

LogText inMemory(ViewMode mode, int shows = 1)
{
    LogText log;
    LogWriter writer(log);
    for (int show = 0; show < shows; ++show) {
        playShow([&](const QByteArray &bytes, Direction direction) {
            writer.write(bytes, direction, mode);
        });
    }
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
    if (!QFileInfo(folder).isDir())
        return found;
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

QImage repainted(LogView &view)
{
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

// The log, its view and the text it keeps on disk; the tools beside the
// panels: Clear Log, Save Log and the font, the quick strings and their
// dialog, and Rapid Fire.
class TestTools : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The last entry before the clear is a received one, so only the clear
    // itself can start the next answer on a fresh line; twice, and Rapid
    // Fire still has its command.
    void clearStartsFreshReceiveLine()
    {
        TerminalHarness t;
        t.window->SendCommand("X");
        QCOMPARE(t.device.read(1), QByteArray("X"));
        for (const QByteArray answer : {"R", "Q"}) {
            t.device.write(answer);
            QTRY_VERIFY(t.logText().endsWith("Receiving: " + answer));
            t.click("ClearCmd");
            QCOMPARE(t.logText(), QByteArray());
        }
        t.device.write("S");
        QTRY_COMPARE(t.logText(), QByteArray("Receiving: S"));
        QCOMPARE(t.window->LastCommand(), QByteArray("X"));
        t.click("RapidCmd");
        QCOMPARE(t.device.read(3), QByteArray("XXX"));
        t.click("RapidCmd");
    }

    // Each save replaces what stood at the name, an old longer file, and keeps
    // its mode, here one no new file gets; a cancelled save writes nothing.
    void save_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("written");
        QTest::newRow("log filter adds .log") << "session" << QString() << "session.log";
        QTest::newRow("own extension kept") << "session.txt" << QString() << "session.txt";
        QTest::newRow("all files adds nothing") << "session"
                                                << "All files (*.*)"
                                                << "session";
    }

    void save()
    {
        QFETCH(QString, typed);
        QFETCH(QString, filter);
        QFETCH(QString, written);
        TerminalHarness t;
        const QString path = t.dir.filePath(written);
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("previous content that is longer"));
        old.close();
        QVERIFY(setOwnership(path, {0604, int(::geteuid()), int(::getegid())}));
        cancelSaveDialog();
        t.click("SaveLogCmd");
        QCOMPARE(fileContent(path), QByteArray("previous content that is longer"));
        answerSaveDialog(t.dir.filePath(typed), filter);
        t.click("SaveLogCmd");
        QCOMPARE(fileContent(path), QByteArray("\r\n"));
        t.window->SendCommand("PL\r");
        t.device.write("R\r");
        QTRY_COMPARE(t.logText(), QByteArray("Command Sent:  PL|\r\nReceiving: R|"));
        answerSaveDialog(t.dir.filePath(typed), filter);
        t.click("SaveLogCmd");
        QCOMPARE(fileContent(path), QByteArray("Command Sent:  PL|\r\nReceiving: R|\r\n"));
        QCOMPARE(ownershipOf(path).mode, 0604);
        QCOMPARE(t.window->cursor().shape(), Qt::ArrowCursor);
        // A second save has all of the log, what the first saved too.
        t.window->SendCommand("ST\r");
        answerSaveDialog(t.dir.filePath("again.log"));
        t.click("SaveLogCmd");
        QCOMPARE(fileContent(t.dir.filePath("again.log")),
                 QByteArray("Command Sent:  PL|\r\nReceiving: R|\r\nCommand Sent:  ST|\r\n"));
        QCOMPARE(QDir(t.dir.path()).entryList(QDir::Files, QDir::Name),
                 QStringList({"Zentrel.ini", "again.log", written}));
        QVERIFY(t.messages.shown.isEmpty());
    }

    // The operator is told, and what stood at the name stays as it was: an
    // old file whole, a device a device, no half-written copy beside it.
    void saveFailureIsReported_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("folder that does not exist") << "missing";
        QTest::newRow("a device that takes nothing") << "full";
        QTest::newRow("the disk fills up after a few hundred bytes") << "room";
    }

    void saveFailureIsReported()
    {
        QFETCH(QString, target);
        TerminalHarness t;
        for (int n = 0; n < 50; ++n)
            t.window->SendCommand("PL\r");
        const QByteArray old = "the session before\r\n";
        QString path = t.dir.filePath(QStringLiteral("session.log"));
        if (target == "missing") {
            path = QStringLiteral("/nonexistent-directory/x.log");
        } else if (target == "full") {
            // /dev/full itself, or, for root (who could create files beside
            // it), a device node of the same kind here.
            path = ::geteuid() == 0 ? t.dir.filePath(QStringLiteral("full")) : "/dev/full";
            if (::geteuid() == 0)
                QCOMPARE(
                    ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 7)), 0);
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
        }
        const QStringList before = QDir(t.dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
        answerSaveDialog(path, "All files (*.*)");
        {
            const FileSizeLimit full(target == "room" ? 300 : RLIM_INFINITY);
            t.click("SaveLogCmd");
        }
        QCOMPARE(t.messages.texts(), QStringList{"Error saving to file!"});
        QCOMPARE(t.window->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(QDir(t.dir.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
        if (target == "room")
            QCOMPARE(fileContent(path), old);
        // A folder at the name cannot be replaced by a file, also for root.
        QVERIFY(QDir().mkdir(t.dir.filePath("taken.log")));
        QVERIFY(!FileWriter::replace(t.dir.filePath("taken.log"), {"x", "\r\n"}));
        struct stat status = {};
        if (target == "full")
            QVERIFY(::stat(QFile::encodeName(path).constData(), &status) == 0 &&
                    S_ISCHR(status.st_mode));
        // After the failure the next save goes as ever.
        answerSaveDialog(t.dir.filePath("good.log"));
        t.click("SaveLogCmd");
        QCOMPARE(fileContent(t.dir.filePath("good.log")),
                 QByteArray("Command Sent:  PL|\r\n").repeated(50));
        QCOMPARE(t.messages.texts(), QStringList{"Error saving to file!"});
    }

    void fontCycle_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<QList<double>>("sizes");
        QTest::newRow("from 10") << 10.0 << QList<double>{12, 14, 8, 10};
        QTest::newRow("11 becomes 14") << 11.0 << QList<double>{14};
        QTest::newRow("20 stays") << 20.0 << QList<double>{20, 20};
    }

    void fontCycle()
    {
        QFETCH(double, start);
        QFETCH(QList<double>, sizes);
        TerminalHarness t;
        QCOMPARE(t.window->log()->fontPointSize(), 10.0);
        t.window->SendCommand("PL\r");
        t.window->log()->setFontPointSize(start);
        for (const double size : sizes) {
            t.window->log()->selectAll();
            QTest::keyClick(t.window->log(), Qt::Key_Home, Qt::ControlModifier);
            t.click("FontCmd");
            QCOMPARE(t.window->log()->fontPointSize(), size);
            QCOMPARE(t.window->log()->caretPosition(), t.logText().size());
            QCOMPARE(t.window->log()->selectedText(), QString());
        }
    }

    void functionKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("F3 from the custom line")
            << int(Qt::Key_F3) << 0 << QByteArray("S3\r") << QStringList();
        QTest::newRow("Ctrl+Alt+F2 like F2")
            << int(Qt::Key_F2) << int(Qt::ControlModifier | Qt::AltModifier) << QByteArray("S2\r")
            << QStringList();
        QTest::newRow("F4 empty string is silent")
            << int(Qt::Key_F4) << 0 << QByteArray() << QStringList();
        QTest::newRow("F5 unclosed quote is refused")
            << int(Qt::Key_F5) << 0 << QByteArray() << QStringList{"Invalid string format!"};
        QTest::newRow("F6 is not ours") << int(Qt::Key_F6) << 0 << QByteArray() << QStringList();
    }

    void functionKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QByteArray, wire);
        QFETCH(QStringList, messages);
        TerminalHarness t(iniWith("1", "Standard", kStrings));
        auto *custom = t.find<QLineEdit>("CustomTxt");
        t.window->show();
        custom->setFocus();
        QTest::keyClick(custom, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(t.device.read(wire.size()), wire);
        QCOMPARE(custom->text(), QString());
        QCOMPARE(t.messages.texts(), messages);
    }

    // Until the dialog closes the main window sends the old strings; what is
    // applied is saved as typed, with the port and view shown; closing puts
    // back the saved port and view, the port reopened quietly.
    void editsTakeEffectWhenTheDialogCloses_data()
    {
        QTest::addColumn<QStringList>("presses");
        QTest::addColumn<bool>("applied");
        QTest::newRow("OK saves and applies") << QStringList{"cmdOK"} << true;
        QTest::newRow("Apply then Cancel applies") << QStringList{"cmdApply", "cmdCancel"} << true;
        QTest::newRow("Cancel alone keeps the old strings") << QStringList{"cmdCancel"} << false;
        QTest::newRow("Apply then Escape applies") << QStringList{"cmdApply", "escape"} << true;
    }

    void editsTakeEffectWhenTheDialogCloses()
    {
        QFETCH(QStringList, presses);
        QFETCH(bool, applied);
        TerminalHarness t(iniWith("1", "Standard", kStrings));
        PseudoTerminal two;
        t.dir.pin(2, two);
        t.window = nullptr;
        t.window = std::make_unique<Terminal>(t.messages);
        t.pick("PortCmb", "2");
        t.pick("ViewCmb", "Hex");
        t.click("CfgStrCmd");
        QPointer<StringsFrm> dialog = t.window->stringsDialog();
        field(dialog, 1)->setText(QStringLiteral("\"NEW\""));
        field(dialog, 4)->setText(QStringLiteral("  four "));
        t.click("Str1Cmd");
        QCOMPARE(two.read(3), QByteArray("S1\r"));
        for (const auto &button : presses) {
            if (button == QLatin1String("escape"))
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                press(dialog, button.toLatin1().constData());
        }
        QTRY_VERIFY(!dialog);
        QCOMPARE(t.find<QComboBox>("PortCmb")->currentText(), applied ? "2" : "1");
        QCOMPARE(t.find<QComboBox>("ViewCmb")->currentText(), applied ? "Hex" : "Standard");
        QCOMPARE(t.window->VekComm().portNumber(), applied ? 2 : 1);
        t.click("Str1Cmd");
        const QByteArray wire = applied ? "NEW" : "S1\r";
        QCOMPARE((applied ? two : t.device).read(wire.size()), wire);
        QCOMPARE(t.dir.readIni(),
                 applied ? QByteArray("Port: 2\r\nView: Hex\r\nString 1: \"NEW\"\r\n"
                                      "String 2: \"S2\" h0d\r\nString 3: \"S3\" h0d\r\n"
                                      "String 4:   four \r\nString 5: \"PL\r\n")
                         : iniWith("1", "Standard", kStrings));
        QVERIFY(t.messages.shown.isEmpty());
    }

    // The dialog shows the file's strings, what a short or missing file
    // lacks empty; a second press keeps the edits of the open dialog.
    void dialogReadsTheFile_data()
    {
        QTest::addColumn<QByteArray>("ini"); // null: no file
        QTest::addColumn<QStringList>("strings");
        QTest::addColumn<QStringList>("messages");
        const QStringList none(5, QString()), error{"Error reading file!"};
        QTest::newRow("whole file")
            << iniWith("1", "Standard", kStrings)
            << QStringList{"\"S1\" h0d", "\"S2\" h0d", "\"S3\" h0d", "", "\"PL"} << QStringList();
        QTest::newRow("missing file") << QByteArray() << none << error;
        QTest::newRow("a folder where the file should be") << QByteArray("folder") << none << error;
        QTest::newRow("ends after string 2")
            << QByteArray("Port: 1\r\nView: Hex\r\nString 1: a\r\nString 2: b\r\n")
            << QStringList{"a", "b", "", "", ""} << error;
    }

    void dialogReadsTheFile()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, strings);
        QFETCH(QStringList, messages);
        TerminalHarness t(ini == "folder" ? QByteArray() : ini);
        if (ini == "folder") // nothing can replace it either, also for root
            QVERIFY(QDir(t.dir.path()).mkdir("Zentrel.ini"));
        t.click("CfgStrCmd");
        auto *dialog = t.window->stringsDialog();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Quick String Configuration"));
        QCOMPARE(t.messages.texts(), messages);
        for (int k = 1; k <= 5; ++k)
            QCOMPARE(field(dialog, k)->text(), strings.at(k - 1));
        field(dialog, 1)->setText(QStringLiteral("edited"));
        t.dir.writeIni(iniWith("1", "Standard", {"changed on disk"}));
        t.click("CfgStrCmd");
        QCOMPARE(t.window->stringsDialog(), dialog);
        QCOMPARE(field(dialog, 1)->text(), QStringLiteral("edited"));
        QCOMPARE(t.messages.texts(), messages);
    }

    void unsavedEditsStayInTheOpenDialog_data()
    {
        QTest::addColumn<QString>("typed"); // into String 2
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("sizeLimit"); // 0: none
        QTest::addColumn<QString>("message");
        QTest::newRow("euro named by Apply")
            << QString::fromUtf8("\"\xe2\x82\xac\"") << "cmdApply" << 0
            << QString::fromUtf8("Invalid character \"\xe2\x82\xac\" (U+20AC) in String 2!");
        QTest::newRow("character beyond U+FFFF named whole by OK")
            << QString::fromUtf8("\xf0\x9f\x8e\xac") << "cmdOK" << 0
            << QString::fromUtf8("Invalid character \"\xf0\x9f\x8e\xac\" (U+1F3AC) in String 2!");
        // As on a full disk: the new file cannot grow past a few bytes.
        QTest::newRow("file that cannot be written, OK")
            << QStringLiteral("ok") << "cmdOK" << 32 << "Error saving to file!";
    }

    void unsavedEditsStayInTheOpenDialog()
    {
        QFETCH(QString, typed);
        QFETCH(QString, button);
        QFETCH(int, sizeLimit);
        QFETCH(QString, message);
        TerminalHarness t(iniWith("1", "Standard", {"one", "two", "three"}));
        const QByteArray before = t.dir.readIni();
        t.click("CfgStrCmd");
        QPointer<StringsFrm> dialog = t.window->stringsDialog();
        field(dialog, 1)->setText("first");
        field(dialog, 2)->setText(typed);
        {
            std::optional<FileSizeLimit> limit;
            if (sizeLimit > 0)
                QVERIFY(limit.emplace(rlim_t(sizeLimit)).active());
            QTest::mouseClick(dialog->findChild<QPushButton *>(button), Qt::LeftButton);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(t.messages.texts(), QStringList{message});
        QCOMPARE(t.dir.readIni(), before);
        const QStringList kept{"first", typed, "three", "", ""};
        for (int k = 1; k <= 5; ++k)
            QCOMPARE(field(dialog, k)->text(), kept.at(k - 1));
    }

    // Nothing sent yet: nothing to repeat. Then each press starts or stops,
    // the caption saying which.
    void commandDuringRunGoesOutOnce()
    {
        TerminalHarness t;
        const auto pressRapidFire = [&t](bool running) {
            t.click("RapidCmd");
            QCOMPARE(t.find<QPushButton>("RapidCmd")->text(),
                     running ? QStringLiteral("Stop") : QStringLiteral("Rapid Fire"));
            QCOMPARE(t.window->rapidFire()->RapidTimer().isActive(), running);
        };
        pressRapidFire(false);
        t.window->SendCommand("A");
        pressRapidFire(true);
        QByteArray wire = t.device.read(20);
        t.window->SendCommand("B");
        wire += t.device.read(20);
        pressRapidFire(false);
        wire += t.device.sentSoFar();
        QCOMPARE(wire.count('B'), 1);
        QCOMPARE(wire.count('A') + 1, wire.size());
        QVERIFY(wire.indexOf('B') < wire.size() - 5);
        // The log shows each byte that went out, no more, no less.
        QCOMPARE(sentLines(t.logText()), wire.size());
        // Restarting takes a new snapshot: by now the last resend, A.
        pressRapidFire(true);
        QCOMPARE(t.window->rapidFire()->RapidString(), QByteArray("A"));
        pressRapidFire(false);
    }

    // With no port chosen every send is refused and told, nothing logged;
    // Rapid Fire tells once a run and keeps ticking.
    void noPortRefusesEverySend()
    {
        TerminalHarness t(QByteArray{});
        QCOMPARE(t.find<QComboBox>("PortCmb")->currentText(), QString());
        t.find<QCheckBox>("IDChk")->setChecked(true);
        t.window->SendCommand("PL\r");
        t.sendCustom("h41");
        QCOMPARE(t.messages.texts(), QStringList(2, "Select COMM port!"));
        QCOMPARE(t.logText(), QByteArray());
        t.pick("PortCmb", "1");
        t.window->SendCommand("A");
        QCOMPARE(t.device.read(1), QByteArray("A"));
        t.find<QComboBox>("PortCmb")->setCurrentIndex(-1);
        QSignalSpy ticks(&t.window->rapidFire()->RapidTimer(), &QTimer::timeout);
        for (int run = 1; run <= 2; ++run) {
            ticks.clear();
            t.click("RapidCmd");
            QTRY_VERIFY(ticks.count() >= 50);
            QCOMPARE(t.messages.texts(), QStringList(2 + run, "Select COMM port!"));
            QVERIFY(t.window->rapidFire()->RapidTimer().isActive());
            t.click("RapidCmd");
        }
    }

    // A port that fails is told once, and nothing goes out while the
    // operator reads why; a fault stops Rapid Fire: whatever comes back on
    // the port is sent nothing until the operator starts it again.
    void lineFailureIsToldOnceAndStopsRapidFire()
    {
        TerminalHarness t;
        t.window->SendCommand("A");
        QCOMPARE(t.device.read(1), QByteArray("A"));
        t.device.unplug();
        t.dir.unpin(1);
        QTRY_VERIFY(!t.window->VekComm().isOpen());
        // A send that fails leaves the last command and the log as they were.
        t.window->SendCommand("B");
        QCOMPARE(t.messages.texts(), QStringList{kLineError});
        QCOMPARE(t.window->LastCommand(), QByteArray("A"));
        QCOMPARE(t.logText(), QByteArray("Command Sent:  A"));
        t.messages.clear();

        PseudoTerminal replacement;
        QByteArray duringBox;
        t.messages.whileShown = [&] {
            // The device comes back while the operator reads the message.
            t.dir.pin(1, replacement);
            duringBox = replacement.sentSoFar();
        };
        t.click("RapidCmd");
        QTRY_COMPARE(t.messages.shown.size(), 1);
        QCOMPARE(t.messages.last(), kLineError);
        QCOMPARE(duringBox, QByteArray());
        // Once the box is gone, the resends reopen the port and go on.
        QCOMPARE(replacement.read(10, 10000), QByteArray(10, 'A'));
        QCOMPARE(t.messages.shown.size(), 1);
        t.messages.whileShown = nullptr;
        t.messages.clear();
        replacement.unplug();
        t.dir.unpin(1);
        QTRY_VERIFY(!t.window->VekComm().isOpen());
        QCOMPARE(t.find<QPushButton>("RapidCmd")->text(), QStringLiteral("Rapid Fire"));
        QVERIFY(!t.window->rapidFire()->RapidTimer().isActive());
        QVERIFY(t.messages.shown.size() <= 1);
        PseudoTerminal another;
        t.dir.pin(1, another);
        QTRY_VERIFY_WITH_TIMEOUT(t.window->VekComm().isOpen(), 10000);
        QCOMPARE(another.sentSoFar(), QByteArray());
    }

    // A far end that stops reading: a pseudo-terminal would take kilobytes
    // before refusing more, but no more goes out than a 9600-baud line could
    // have carried meanwhile, plus the transmit buffer.
    void stalledFarEndIsSentNoMoreThanTheLineCarries()
    {
        TerminalHarness t;
        t.window->SendCommand("PL\r");
        QCOMPARE(t.device.read(3), QByteArray("PL\r"));
        QElapsedTimer clock;
        clock.start();
        t.click("RapidCmd");
        // Well past the transmit buffer, so that resends unpaced would show,
        // however slowly this machine ticks.
        QTRY_VERIFY_WITH_TIMEOUT(sentLines(t.logText()) > 2 * RapidFire::kTransmitBuffer / 3,
                                 20000);
        t.click("RapidCmd");
        const qint64 elapsedMs = clock.elapsed();
        const QByteArray arrived = t.device.sentSoFar();
        const qint64 lineCarried = elapsedMs * 960 / 1000 + 1;
        QVERIFY2(
            arrived.size() <= RapidFire::kTransmitBuffer + 3 + lineCarried,
            qPrintable(QStringLiteral("%1 bytes in %2 ms").arg(arrived.size()).arg(elapsedMs)));
        QCOMPARE(arrived, QByteArray("PL\r").repeated(arrived.size() / 3));
        // The log shows what really went out: every logged resend arrived.
        QCOMPARE(t.logText().count("Command Sent:") - 1, arrived.size() / 3);
    }

    // Read back in every view; a block damaged on disk is never shown as
    // text, yet every line still answers and the text in memory reads.
    void readsBackWhatItSpilled_data()
    {
        QTest::addColumn<ViewMode>("mode");
        QTest::addColumn<bool>("nameless");
        QTest::addColumn<QString>("damage");
        QTest::newRow("standard view, nameless file") << ViewMode::Standard << true << QString();
        QTest::newRow("hex view, nameless file") << ViewMode::Hex << true << QString();
        QTest::newRow("named file unlinked at once") << ViewMode::Mixed << false << QString();
        QTest::newRow("bytes overwritten") << ViewMode::Hex << true << "overwritten";
        QTest::newRow("file cut short") << ViewMode::Hex << true << "truncated";
    }

    void readsBackWhatItSpilled()
    {
        QFETCH(ViewMode, mode);
        QFETCH(bool, nameless);
        QFETCH(QString, damage);
        QTemporaryDir folder;
        const LogText expected = inMemory(mode);
        LogText log;
        log.setLimits(smallLimits({folder.path()}, nameless));
        spillShow(log, mode);
        QVERIFY(log.spilledBlocks() > 10);
        QVERIFY(log.memoryBytes() < 3 * 8192);
        QVERIFY(!log.takeSpillFault());
        // Nothing to see in the folder, and only this user could read it.
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
        const auto files = spillFiles(folder.path());
        QCOMPARE(files.size(), 1);
        QCOMPARE(ownershipOf(QStringLiteral("/proc/self/fd/%1").arg(files[0])).mode, 0600);
        QCOMPARE(log.size(), expected.size());
        QCOMPARE(log.lineCount(), expected.lineCount());
        QCOMPARE(log.longestLine(), expected.longestLine());
        for (qsizetype line = 0; line < log.lineCount(); ++line) {
            const auto start = expected.lineStart(line);
            QCOMPARE(log.lineStart(line), start);
            QCOMPARE(log.lineLength(line), expected.lineLength(line));
            QCOMPARE(log.lineOf(start + expected.lineLength(line) / 2), line);
        }
        if (!damage.isEmpty()) {
            // Until its thread writes them, the blocks read from memory.
            QTRY_COMPARE(log.spillWaiting(), 0);
            if (damage == "truncated")
                QCOMPARE(::ftruncate(files[0], 10), 0);
            else
                QCOMPARE(::pwrite(files[0], "garbage!", 8, 40), ssize_t(8));
            QByteArray out;
            QVERIFY(!log.read(0, 100, out));
            QVERIFY(!log.read(0, log.size(), out));
            QCOMPARE(out, QByteArray());
            qsizetype previous = -1;
            for (qsizetype line = 0; line < log.lineCount(); ++line) {
                QVERIFY(log.lineStart(line) > previous);
                previous = log.lineStart(line);
                QVERIFY(log.lineLength(line) >= 0);
                QCOMPARE(log.lineOf(previous), line);
            }
            QVERIFY(log.read(log.size() - 100, 100, out));
            QVERIFY(out == expected.text().right(100));
            return;
        }
        QVERIFY(log.text() == expected.text());
        // A copy, as Save Log takes, reads on after Clear Log; the disk
        // space goes back once both are done with it.
        auto copy = std::make_unique<LogText>(log);
        log.clear();
        QVERIFY(copy->text() == expected.text());
        QCOMPARE(log.text(), QByteArray());
        copy.reset();
        QTRY_COMPARE(spillFiles(folder.path()), QList<int>());
    }

    // The window spills and saves the log byte for byte as it was
    // received. A folder that takes no file leaves the text to the next;
    // with none left the log keeps its blocks in memory, packed as on disk,
    // and says so once.
    void windowSavesEverything_data()
    {
        QTest::addColumn<QStringList>("folders"); // none: the cache, runtime and temporary folders
        QTest::addColumn<int>("holder");          // the folder that holds the file; -1: memory
        QTest::newRow("cache folder") << QStringList{"plain"} << 0;
        QTest::newRow("missing cache folder, nowhere else") << QStringList{"missing"} << -1;
        QTest::newRow("disk fills while spilling, nowhere else") << QStringList{"full"} << -1;
        QTest::newRow("read-only cache folder, then the next")
            << QStringList{"read-only", "missing", "plain"} << 2;
        QTest::newRow("disk fills while spilling, then the next")
            << QStringList{"full", "plain"} << -2; // either, by how far the disk got
        QTest::newRow("cache folder missing, the runtime folder takes it") << QStringList{} << 1;
        QTest::newRow("a block damaged on disk: Save Log refuses") << QStringList{"damaged"} << 0;
    }

    void windowSavesEverything()
    {
        QFETCH(QStringList, folders);
        QFETCH(int, holder);
        std::vector<std::unique_ptr<Mount>> mounts;
        TerminalHarness t;
        QVERIFY(QFile(t.dir.filePath("file")).open(QIODevice::WriteOnly));
        QStringList paths;
        for (const QString &kind : folders) {
            if (kind == "read-only" || kind == "full") {
                ZENTREL_REQUIRE_ROOT("a small file system of its own is mounted");
                mounts.push_back(
                    std::make_unique<Mount>(kind == "full" ? 0 : MS_RDONLY, "size=16k,mode=0700"));
                QVERIFY(mounts.back()->mounted);
                paths << mounts.back()->dir.path();
            } else {
                paths << t.dir.filePath(kind == "missing" ? "file/cache" : kind);
            }
        }
        // None given: the session's own, its cache folder unwritable.
        std::optional<EnvironmentOverride> cacheHome, runtimeHome;
        if (folders.isEmpty()) {
            paths = QStringList{t.dir.filePath("file/cache"), t.dir.filePath("runtime")};
            QVERIFY(QDir().mkdir(paths[1]) &&
                    QFile::setPermissions(paths[1],
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
            cacheHome.emplace("XDG_CACHE_HOME", QFile::encodeName(paths[0]));
            runtimeHome.emplace("XDG_RUNTIME_DIR", QFile::encodeName(paths[1]));
        }
        LogModel &model = t.window->logModel();
        const LogText &log = model.text();
        model.setLimits(smallLimits(folders.isEmpty() ? QStringList() : paths));
        LogText expected;
        LogWriter writer(expected);
        playShow([&](const QByteArray &bytes, Direction direction) {
            writer.write(bytes, direction, ViewMode::Standard);
            if (direction == Direction::Sent)
                return t.window->SendCommand(bytes);
            t.device.write(bytes);
            // Each answer whole on its line before the next command.
            for (QDeadlineTimer wait(20000); log.size() != expected.size() && !wait.hasExpired();)
                QTest::qWait(1);
            QCOMPARE(log.size(), expected.size());
        });
        QTRY_VERIFY(!log.wantsSpill());
        QCOMPARE(log.size(), expected.size());
        // How many blocks a failing disk took before its failure showed
        // depends on its writing thread; where the rest went does not.
        if (holder == -1)
            QTRY_COMPARE(t.messages.texts(), QStringList{kSpillFault});
        else if (holder == -2)
            QTRY_COMPARE(spillFiles(paths[1]).size(), 1);
        else
            QTRY_COMPARE(log.spillWaiting(), 0);
        // Whatever went out of memory went whole, on disk or packed.
        QVERIFY(log.spilledBlocks() > 10);
        QVERIFY(log.memoryBytes() < qsizetype(3 * 8192));
        QCOMPARE(log.keptInMemory(), holder == -1);
        QCOMPARE(t.messages.texts(), holder == -1 ? QStringList{kSpillFault} : QStringList());
        for (int k = 0; k < paths.size(); ++k) {
            if (holder >= 0)
                QCOMPARE(spillFiles(paths[k]).size(), k == holder ? 1 : 0);
        }
        const QString path = t.dir.filePath("show.log");
        if (folders == QStringList{"damaged"}) {
            QTRY_COMPARE(log.spillWaiting(), 0);
            const auto files = spillFiles(paths[0]);
            QCOMPARE(files.size(), 1);
            QCOMPARE(::pwrite(files[0], "garbage!", 8, 40), ssize_t(8));
        }
        answerSaveDialog(path);
        t.click("SaveLogCmd");
        if (folders == QStringList{"damaged"}) {
            QTRY_COMPARE(t.messages.texts(), QStringList{kSpillDamaged});
            QVERIFY(!QFile::exists(path));
            return;
        }
        QTRY_VERIFY(QFile::exists(path));
        QVERIFY(fileContent(path) == expected.text() + "\r\n");
        // Saved again, from the same blocks: nothing the first save read is missing.
        answerSaveDialog(t.dir.filePath("again.log"));
        t.click("SaveLogCmd");
        QTRY_VERIFY(QFile::exists(t.dir.filePath("again.log")));
        QVERIFY(fileContent(t.dir.filePath("again.log")) == expected.text() + "\r\n");
        QCOMPARE(t.messages.texts(), holder == -1 ? QStringList{kSpillFault} : QStringList());
        for (const QString &folder : paths)
            QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                     QStringList());
        // Cleared, the log tries the folders afresh.
        t.click("ClearCmd");
        QVERIFY(!log.keptInMemory() && log.isEmpty() && model.NewReceiveLine());
    }

    // A save to a reader slower than the log, such as a pipe: the file's
    // thread waits on it, the window unpacks the next block itself while the
    // queue is full, and every block still arrives once, in order.
    void saveToASlowReader()
    {
        TerminalHarness t;
        QTemporaryDir folder;
        const LogText &log = t.window->logModel().text();
        t.window->logModel().setLimits(smallLimits({folder.path()}));
        constexpr int kShows = 5; // well over what the pipe and the queue hold
        for (int show = 0; show < kShows; ++show)
            playShow([&](const QByteArray &bytes, Direction direction) {
                t.window->WriteLog(bytes, direction);
            });
        QTRY_VERIFY(!log.wantsSpill());
        QVERIFY(log.spilledBlocks() > 50);
        const QString path = t.dir.filePath("slow.log");
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        const int reader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
        answerSaveDialog(path);
        t.click("SaveLogCmd");
        QByteArray got;
        char buffer[4096];
        for (QDeadlineTimer wait(60000); !wait.hasExpired();) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            const auto n = ::read(reader, buffer, sizeof buffer);
            if (n == 0) // the save let go of the pipe
                break;
            if (n > 0)
                got.append(buffer, n);
        }
        ::close(reader);
        QVERIFY(got == inMemory(ViewMode::Standard, kShows).text() + "\r\n");
        QVERIFY(t.messages.shown.isEmpty());
    }

    void copyRefusesHugeSelection()
    {
        QTemporaryDir folder;
        RecordingMessages messages;
        LogModel log;
        LogView view(log);
        view.setMessages(&messages);
        log.setLimits({1 << 20, 8 << 20, {folder.path()}});
        const QByteArray piece(1 << 20, 'x');
        log.appendLine("Receiving: ");
        for (int n = 0; n < 65; ++n)
            log.append(piece);
        QApplication::clipboard()->setText(QStringLiteral("before"));
        view.selectAll();
        view.copy();
        QCOMPARE(messages.texts(), QStringList{LogView::kTooLargeToCopy});
        QCOMPARE(messages.shown.first().title, kAppTitle);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));
        // A small selection from the spilled text copies as ever.
        QVERIFY(log.text().spilledBlocks() > 10);
        QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
        for (int n = 0; n < 14; ++n)
            QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
        view.copy();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Receiving: xxx"));
        QCOMPARE(messages.texts(), QStringList{LogView::kTooLargeToCopy});
    }

    // The newest text stays in view: the view follows a long received line
    // sideways, until the operator scrolls away; a new line brings it back.
    void followsTheLastLineSideways_data()
    {
        QTest::addColumn<QString>("then");
        QTest::addColumn<bool>("atLineEnd");
        QTest::newRow("more of the line arrives") << "more" << true;
        QTest::newRow("scrolled back to its start, more arrives") << "scrolled" << false;
        QTest::newRow("a command sent") << "command" << false;
    }

    void followsTheLastLineSideways()
    {
        QFETCH(QString, then);
        QFETCH(bool, atLineEnd);
        TerminalHarness t;
        t.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(t.window.get()));
        auto *bar = t.window->log()->horizontalScrollBar();
        const auto lineLength = [&] { return t.window->logModel().lineLength(0); };
        t.device.write(QByteArray(570, 'x'));
        QTRY_COMPARE(lineLength(), 11 + 570);
        QTRY_VERIFY(bar->maximum() > 0 && bar->value() == bar->maximum());
        if (then == "scrolled")
            bar->triggerAction(QAbstractSlider::SliderToMinimum);
        const int range = bar->maximum();
        if (then == "command") {
            t.window->SendCommand("PL\r");
            QTRY_COMPARE(bar->value(), 0);
            return;
        }
        t.device.write(QByteArray(100, 'y'));
        QTRY_COMPARE(lineLength(), 11 + 670);
        QTRY_VERIFY(bar->maximum() > range);
        QCOMPARE(bar->value() == bar->maximum(), atLineEnd);
        QCOMPARE(bar->value() == 0, !atLineEnd);
    }

    // A line of any length is reachable to its end: the pixels of this one
    // are beyond what an int holds.
    void lineLongerThanPixelsReachesItsEnd()
    {
        TerminalHarness t;
        auto &model = t.window->logModel();
        QTemporaryDir folder;
        model.setLimits({256 << 10, 8 << 20, {folder.path()}, true});
        LogView *view = t.window->log();
        t.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(t.window.get()));
        t.click("FontCmd");
        t.click("FontCmd");
        QCOMPARE(view->fontPointSize(), 14.0);
        const double charWidth = QFontMetricsF(view->font()).horizontalAdvance(u'M');
        const auto bytes = qsizetype(2.2e9 / charWidth / 4) + 1;
        const QByteArray piece(1 << 20, 'A');
        for (qsizetype done = 0; done < bytes; done += piece.size())
            model.write(QByteArrayView(piece).first(std::min(piece.size(), bytes - done)),
                        Direction::Received, ViewMode::Hex);
        model.write(QByteArray(1, '\x01') + "END", Direction::Received, ViewMode::Standard);
        QCOMPARE(model.lineLength(0), 11 + 4 * bytes + 4);
        // Past what 32 bits count, a screen reader is offered the log from a later origin.
        QCOMPARE(LogAccessible::origin(std::numeric_limits<int>::max()), 0);
        QCOMPARE(LogAccessible::origin(qsizetype(std::numeric_limits<int>::max()) + 1),
                 LogAccessible::kOriginStep);
        const QPoint left(4, 5), right(view->viewport()->width() - 2, 5);
        // Ctrl+End, then Shift and a click on the left edge selects what is in view.
        QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier, left);
        view->copy();
        const QString shown = QApplication::clipboard()->text();
        QVERIFY2(shown.endsWith("<41>|END") && shown.size() <= view->visibleColumns(),
                 qPrintable(shown.left(100)));
        // From the start, the scroll bar's end, a click past the line's end
        // and the keyboard.
        QTest::keyClick(view, Qt::Key_Home);
        auto *bar = view->horizontalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), 0);
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, right);
        for (int n = 0; n < 5; ++n)
            QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
        view->copy();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral(">|END"));
        QVERIFY(t.messages.shown.isEmpty());
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
        LogModel log;
        LogView view(log);
        view.resize(300, 160);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        for (int n = 0; n < lines; ++n)
            log.appendLine("Command Sent:  line " + QByteArray::number(n));
        QTRY_COMPARE(onScreen(view), repainted(view));
        if (scrolledUp) {
            view.verticalScrollBar()->setValue(2);
            QTRY_COMPARE(onScreen(view), repainted(view));
        }

        // Appends only mark the view; the coalesced repaint follows a frame later.
        for (int round = 0; round < 3; ++round) {
            log.append(glued);
            if (!newLine.isEmpty())
                log.appendLine(newLine);
            QTRY_COMPARE(onScreen(view), repainted(view));
        }
        QCOMPARE(view.verticalScrollBar()->value() == view.verticalScrollBar()->maximum(),
                 !scrolledUp);
    }
};

QTEST_MAIN(TestTools)
#include "tst_tools.moc"
