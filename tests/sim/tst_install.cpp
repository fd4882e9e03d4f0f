#include "simprocess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

using zentrel::test::ChildProcess;

namespace {

// The settings as a user might have edited them: LF line ends, Mixed view.
const QByteArray kSavedIni = "Port: 1\r\nView: Mixed\r\nString 1: \"PL\" h0d\r\nString 2: \r\n"
                             "String 3: \r\nString 4: \r\nString 5: \r\n";
const QByteArray kEditedIni = QByteArray(kSavedIni).replace("\r\n", "\n");

// True once a program holds the line open for itself (a serial port opened
// by the program is set exclusive).
bool heldExclusively(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno == EBUSY;
    int exclusive = 0;
    const bool held = ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive;
    ::close(fd);
    return held;
}

// Earlier runs as root may have left lock files for this pseudo-terminal's
// number whose holder is gone. The program would take such a lock over, but
// as another user it may not delete root's file.
void clearStaleLocks(const QString &device)
{
    const QString name = QStringLiteral("LCK..") + device.mid(5).replace(u'/', u'_');
    for (const QString &directory : {QStringLiteral("/run/lock"), QStringLiteral("/var/lock")}) {
        QFile lock(directory + u'/' + name);
        if (!lock.open(QIODevice::ReadOnly))
            continue;
        const pid_t holder = pid_t(lock.readLine().trimmed().toInt());
        lock.close();
        if (holder > 0 && ::kill(holder, 0) != 0 && errno == ESRCH)
            lock.remove();
    }
}

} // namespace

// `cmake --install` into a prefix of the test's own, and the installed copy
// at work.
class TestInstall : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void installsProgramsEntryAndIcons();
    void copyKeepsItsFilesWhereItStands_data();
    void copyKeepsItsFilesWhereItStands();

private:
    QString installed(const QString &relative) const { return m_prefix.filePath(relative); }

    QTemporaryDir m_prefix;
};

void TestInstall::initTestCase()
{
    ChildProcess install(
        QStringLiteral(ZENTREL_CMAKE),
        {"--install", QStringLiteral(ZENTREL_BUILD_DIR), "--prefix", m_prefix.path()});
    QVERIFY2(install.waitForExit(60000) == 0, qPrintable(install.output() + install.errors()));
}

void TestInstall::installsProgramsEntryAndIcons()
{
    for (const char *program : {"bin/zentrel", "bin/zentrel-sim"}) {
        const QFileInfo info(installed(QLatin1String(program)));
        QVERIFY2(info.isFile() && info.isExecutable(), program);
    }
    for (const quint32 size : {48u, 64u, 128u, 256u}) {
        QFile icon(
            installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/zentrel.png").arg(size)));
        QVERIFY(icon.open(QIODevice::ReadOnly));
        const QByteArray png = icon.read(24);
        QCOMPARE(png.left(16), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
        QCOMPARE(qFromBigEndian<quint32>(png.constData() + 16), size);
        QCOMPARE(qFromBigEndian<quint32>(png.constData() + 20), size);
    }
    const QString entry = installed(QStringLiteral("share/applications/zentrel.desktop"));
    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QVERIFY(lines.contains("Exec=zentrel") && lines.contains("Icon=zentrel"));
    // The validator reports errors, warnings and hints; a clean entry has none.
    ChildProcess validate(QStringLiteral("desktop-file-validate"), {entry});
    QCOMPARE(validate.waitForExit(), 0);
    QCOMPARE(validate.output().trimmed(), QString());
}

void TestInstall::copyKeepsItsFilesWhereItStands_data()
{
    QTest::addColumn<bool>("standsInstalled");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("installed copy run as root keeps them in the user's data folder")
        << true << false;
    QTest::newRow("portable copy keeps them beside itself") << false << false;
    QTest::newRow("portable copy on write-protected media keeps them beside itself")
        << false << true;
}

void TestInstall::copyKeepsItsFilesWhereItStands()
{
    QFETCH(bool, standsInstalled);
    QFETCH(bool, readOnly);
    // Installed means standing in the bin directory of the prefix it was
    // built for. The copy from the test's prefix is put there by a bind
    // mount in a mount namespace of its own, and runs as root there (this
    // user mapped to root when not root already): root may write /usr/bin,
    // which must not make an installed copy keep its files there.
    const QString installedBin = QStringLiteral(ZENTREL_INSTALL_BINDIR);
    if (!QFileInfo(installedBin).isDir())
        QSKIP("the prefix's bin directory to mount the copy over does not exist");
    const QString bin = installed(QStringLiteral("bin"));
    const QString standsIn = standsInstalled ? installedBin : bin;
    const QString mounts = standsInstalled ? QStringLiteral("mount --bind \"$1\" \"$2\"")
                           : readOnly      ? QStringLiteral("mount --bind \"$1\" \"$1\" && "
                                                                 "mount -o remount,ro,bind \"$1\"")
                                           : QStringLiteral("true");
    QStringList runAs = {QStringLiteral("unshare"), "--mount", "--propagation", "private"};
    if (::geteuid() != 0)
        runAs << "--map-root-user";
    runAs << "sh"
          << "-c" << mounts + QStringLiteral(" && shift 2 && exec \"$@\"") << "sh" << bin
          << installedBin;
    {
        ChildProcess probe(runAs.first(), runAs.mid(1) + QStringList{"true"});
        if (probe.waitForExit() != 0)
            QSKIP(qPrintable(QStringLiteral("no mount namespace here: ") + probe.errors()));
    }

    QTemporaryDir home;
    const QString runtime = home.filePath(QStringLiteral("runtime"));
    const QString dataHome = home.filePath(QStringLiteral("data"));
    const QString dataDir = dataHome + QStringLiteral("/Zentrel");
    const QString filesDir = standsInstalled ? dataDir : bin;
    const QString elsewhere = standsInstalled ? bin : dataDir;
    QVERIFY(QDir().mkpath(filesDir) && QDir().mkpath(runtime));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile ini(filesDir + QStringLiteral("/Zentrel.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly) && ini.write(kEditedIni) == kEditedIni.size());
    ini.close();

    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const auto start = [&](const QString &program, const QStringList &arguments = {}) {
        QStringList command = runAs + QStringList{QDir(standsIn).filePath(program)} + arguments;
        return std::make_unique<ChildProcess>(command.takeFirst(), command, environment);
    };

    // The simulator beside the program, with no directory given, pins where
    // the program will look; write-protected media cannot take a link, so
    // there the link is made beforehand, as its owner would.
    QTemporaryDir scratch;
    const QString link = filesDir + QStringLiteral("/ports/COM1");
    const auto sim = start(QStringLiteral("zentrel-sim"),
                           readOnly ? QStringList{"--dir", scratch.path()} : QStringList{});
    const QString simLink = readOnly ? scratch.filePath(QStringLiteral("ports/COM1")) : link;
    QVERIFY2(sim->waitForLine(simLink), qPrintable(sim->output() + sim->errors()));
    const QString device = QFileInfo(simLink).symLinkTarget();
    if (readOnly)
        QVERIFY(QDir().mkpath(bin + QStringLiteral("/ports")) && QFile::link(device, link));
    clearStaleLocks(device);

    const auto zentrel = start(QStringLiteral("zentrel"));
    const QDeadlineTimer deadline(20000);
    while (!heldExclusively(link) && zentrel->isRunning() && !deadline.hasExpired())
        QTest::qWait(50);
    QVERIFY2(heldExclusively(link), qPrintable(zentrel->errors()));

    zentrel->sendSignal(SIGTERM);
    if (readOnly) {
        // It cannot save its settings and says so in a message box, which
        // nobody answers here; the settings it started with stay whole.
        QCOMPARE(zentrel->waitForExit(1000), -1);
        zentrel->sendSignal(SIGKILL);
        zentrel->waitForExit();
    } else {
        QCOMPARE(zentrel->waitForExit(), 0);
    }
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll(), readOnly ? kEditedIni : kSavedIni);
    QVERIFY(!QFileInfo::exists(elsewhere + QStringLiteral("/Zentrel.ini")));
    QVERIFY(!QFileInfo::exists(elsewhere + QStringLiteral("/ports")));

    sim->sendSignal(SIGTERM);
    QCOMPARE(sim->waitForExit(), 0);
    if (!readOnly)
        QVERIFY2(!QFileInfo(link).isSymLink(), "the simulator left its link behind");
    QFile::remove(link);
    QFile::remove(filesDir + QStringLiteral("/Zentrel.ini"));
    QDir(bin).rmdir(QStringLiteral("ports"));
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
