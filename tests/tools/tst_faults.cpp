#include "terminalharness.h"
#include "testhelpers.h"
#include "tools/logtools.h"
#include "tools/rapidfire.h"
#include "tools/settingsfile.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include <cerrno>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace zentrel;
using namespace zentrel::test;

namespace {

// Every byte value in turn, as a device that sends anything at all would.
QByteArray everyByteValue(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(i & 0xFF);
    return bytes;
}

// The program directory becomes read-only, for root as well: a read-only
// bind mount of it in a mount namespace of this process's own. Gives the
// reason when that is not possible here.
QString makeReadOnly(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::geteuid() != 0) {
        return ::chmod(native.constData(), 0555) == 0 ? QString() : QStringLiteral("chmod failed");
    }
    if (::unshare(CLONE_NEWNS) != 0)
        return QStringLiteral("no mount namespace: %1")
            .arg(QString::fromLocal8Bit(strerror(errno)));
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount(native.constData(), native.constData(), nullptr, MS_BIND, nullptr) != 0 ||
        ::mount(nullptr, native.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) !=
            0)
        return QStringLiteral("no read-only bind mount: %1")
            .arg(QString::fromLocal8Bit(strerror(errno)));
    return {};
}

void undoReadOnly(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::geteuid() != 0)
        ::chmod(native.constData(), 0755);
    else
        ::umount2(native.constData(), MNT_DETACH);
}

// Plays the operator at the save dialog: picks "All files", so the name is
// taken as typed, types it, accepts, and agrees to replace what is there.
void answerSaveDialog(const QString &name)
{
    QTimer::singleShot(0, [name] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        QVERIFY(types);
        const int index = types->findText(QStringLiteral("All files (*.*)"));
        types->setCurrentIndex(index);
        Q_EMIT types->activated(index);
        Q_EMIT types->textActivated(types->itemText(index));
        dialog->selectFile(name);
        QTimer::singleShot(0, [] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                box->button(QMessageBox::Yes)->click();
        });
        static_cast<QDialog *>(dialog)->accept();
    });
}

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
        runFor(400);
        t.click("RapidCmd");
        const qint64 elapsedMs = clock.elapsed();
        const QByteArray arrived = t.device.readFor(200);
        const qint64 lineCarried = elapsedMs * 960 / 1000 + 1;
        QVERIFY2(
            arrived.size() <= RapidFire::kTransmitBuffer + 3 + lineCarried,
            qPrintable(QStringLiteral("%1 bytes in %2 ms").arg(arrived.size()).arg(elapsedMs)));
        QVERIFY(arrived.size() >= RapidFire::kTransmitBuffer);
        QCOMPARE(arrived, QByteArray("PL\r").repeated(arrived.size() / 3));
        // The log shows what really went out: every logged resend arrived.
        QCOMPARE(t.logText().count("Command Sent:") - 1, arrived.size() / 3);
    }

    void farEndFloodsOneMegabyteAtOnce_data()
    {
        QTest::addColumn<QByteArray>("view");
        QTest::addColumn<int>("charactersPerByte");
        QTest::newRow("Standard") << QByteArray("Standard") << 1;
        QTest::newRow("Hex") << QByteArray("Hex") << 4;
    }

    void farEndFloodsOneMegabyteAtOnce()
    {
        QFETCH(QByteArray, view);
        QFETCH(int, charactersPerByte);
        TerminalHarness t(iniWith("1", view));
        const QByteArray flood = everyByteValue(1024 * 1024);
        t.device.write(flood);
        const qsizetype expected = sizeof kReceivedLabel - 1 + flood.size() * charactersPerByte;
        QTRY_COMPARE_WITH_TIMEOUT(t.logText().size(), expected, 20000);
        // All of it, in order, on one received line.
        QByteArray rendered(kReceivedLabel);
        renderBytes(rendered, flood, *viewModeFromText(QString::fromLatin1(view)));
        QVERIFY(t.logText() == rendered);
        QCOMPARE(t.window->log()->log().lineCount(), 1);
        QVERIFY(t.messages.shown.isEmpty());
        QVERIFY(t.window->VekComm().isOpen());
        // The line still works both ways afterwards.
        t.window->SendCommand("PL\r");
        QCOMPARE(t.device.read(3), QByteArray("PL\r"));
    }

    void readOnlyProgramDirectoryAtExitIsReportedOnce()
    {
        auto t = std::make_unique<TerminalHarness>();
        const QString dir = t->dir.path();
        const QByteArray before = t->dir.readIni();
        t->window->SendCommand("PL\r");
        t->pick("ViewCmb", QStringLiteral("Hex"));
        const QString why = makeReadOnly(dir);
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
        QFile probe(dir + QStringLiteral("/probe"));
        const bool writable = probe.open(QIODevice::WriteOnly);
        t->window->close();
        const QStringList messages = t->messages.texts();
        const QStringList left = QDir(dir).entryList(QDir::Files | QDir::Hidden);
        const QByteArray after = t->dir.readIni();
        undoReadOnly(dir);
        QVERIFY2(!writable, "the directory was still writable");
        // A portable copy on write-protected media: the operator learns that
        // the settings could not be kept, once.
        QCOMPARE(messages, QStringList{settings::kSaveError});
        // The old settings stay whole, and no half-written copy is left.
        QCOMPARE(after, before);
        QCOMPARE(left, QStringList{settings::kFileName});
        t.reset();
    }

    void saveOntoFullDeviceIsReportedAndKeepsTheFile()
    {
        TerminalHarness t;
        t.window->SendCommand("PL\r");
        t.device.write("R\r");
        QTRY_COMPARE(t.logText(), QByteArray("Command Sent:  PL|\r\nReceiving: R|"));
        // A device that takes nothing: /dev/full itself, or, for root (who
        // could create files beside it), a device node of the same kind here.
        QString full = QStringLiteral("/dev/full");
        if (::geteuid() == 0) {
            full = t.dir.filePath(QStringLiteral("full"));
            QVERIFY(::mknod(QFile::encodeName(full).constData(), S_IFCHR | 0666, makedev(1, 7)) ==
                    0);
        }
        answerSaveDialog(full);
        t.click("SaveLogCmd");
        QCOMPARE(t.messages.texts(), QStringList{"Error saving to file!"});
        QCOMPARE(t.window->cursor().shape(), Qt::ArrowCursor);
        // The device is still the device, not a file put in its place.
        struct stat status = {};
        QCOMPARE(::stat(QFile::encodeName(full).constData(), &status), 0);
        QVERIFY(S_ISCHR(status.st_mode));
        QCOMPARE(QDir(t.dir.path()).entryList({"full.*"}, QDir::Files), QStringList());
    }

    void saveThatRunsOutOfRoomKeepsTheOldFile()
    {
        TerminalHarness t;
        for (int n = 0; n < 50; ++n)
            t.window->SendCommand("PL\r");
        const QString path = t.dir.filePath(QStringLiteral("session.log"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the session before\r\n");
        old.close();
        answerSaveDialog(path);
        {
            // The disk fills up after a few hundred bytes.
            const FileSizeLimit full(300);
            QVERIFY(full.active());
            t.click("SaveLogCmd");
        }
        QCOMPARE(t.messages.texts(), QStringList{"Error saving to file!"});
        QCOMPARE(fileContent(path), QByteArray("the session before\r\n"));
        QCOMPARE(QDir(t.dir.path()).entryList({"session.log*"}, QDir::Files | QDir::Hidden),
                 QStringList{"session.log"});
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
