#include "simprocess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

using zentrel::test::ChildProcess;

namespace {

constexpr int kNobody = 65534;

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
    void installsProgramSimulatorEntryAndIcon();
    void desktopEntryIsValid();
    void installedCopyKeepsItsFilesInTheUsersDataDirectory();

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

void TestInstall::installsProgramSimulatorEntryAndIcon()
{
    for (const char *program : {"bin/zentrel", "bin/zentrel-sim"}) {
        const QFileInfo info(installed(QLatin1String(program)));
        QVERIFY2(info.isFile() && info.isExecutable(), program);
    }
    QFile entry(installed(QStringLiteral("share/applications/zentrel.desktop")));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = entry.readAll().split('\n');
    QVERIFY(lines.contains("Exec=zentrel"));
    QVERIFY(lines.contains("Icon=zentrel"));

    QFile icon(installed(QStringLiteral("share/icons/hicolor/256x256/apps/zentrel.png")));
    QVERIFY(icon.open(QIODevice::ReadOnly));
    const QByteArray png = icon.read(24);
    QCOMPARE(png.left(16), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
    QCOMPARE(qFromBigEndian<quint32>(png.constData() + 16), 256u);
    QCOMPARE(qFromBigEndian<quint32>(png.constData() + 20), 256u);
}

void TestInstall::desktopEntryIsValid()
{
    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        QSKIP("desktop-file-validate is not installed (scripts/deps.sh installs it)");
    ChildProcess validate(validator,
                          {installed(QStringLiteral("share/applications/zentrel.desktop"))});
    QCOMPARE(validate.waitForExit(), 0);
    // It reports errors, warnings and hints on its output; a clean entry has none.
    QCOMPARE(validate.output().trimmed(), QString());
}

void TestInstall::installedCopyKeepsItsFilesInTheUsersDataDirectory()
{
    // Installed means a directory the user cannot write. Root may write
    // anywhere, so as root the copy runs as nobody, for whom a root-owned
    // prefix is read-only; otherwise the prefix is made read-only.
    const bool root = ::geteuid() == 0;
    QStringList runAs;
    if (root) {
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty())
            QSKIP("running as root without setpriv to run the copy as another user");
        runAs = {setpriv, "--reuid=65534", "--regid=65534", "--clear-groups"};
    }
    const auto owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const auto others = QFile::ReadOther | QFile::ExeOther;
    QTemporaryDir home;
    const QString runtime = home.filePath(QStringLiteral("runtime"));
    const QString dataHome = home.filePath(QStringLiteral("data"));
    const QString dataDir = dataHome + QStringLiteral("/Zentrel");
    QVERIFY(QDir().mkpath(dataDir) && QDir().mkpath(runtime));
    QFile::setPermissions(runtime, owner);
    QFile ini(dataDir + QStringLiteral("/Zentrel.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly) && ini.write(kEditedIni) == kEditedIni.size());
    ini.close();
    const QString bin = installed(QStringLiteral("bin"));
    if (root) {
        QFile::setPermissions(m_prefix.path(), owner | others);
        QFile::setPermissions(home.path(), owner | others);
        for (const QString &path : {runtime, dataHome, dataDir, ini.fileName()})
            QVERIFY(::chown(QFile::encodeName(path).constData(), kNobody, kNobody) == 0);
    } else {
        QFile::setPermissions(bin, QFile::ReadOwner | QFile::ExeOwner);
    }

    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const auto start = [&](const QString &program) {
        QStringList command = runAs + QStringList{installed(program)};
        return std::make_unique<ChildProcess>(command.takeFirst(), command, environment);
    };

    // The installed simulator, with no directory given, pins where the
    // installed program will look.
    const auto sim = start(QStringLiteral("bin/zentrel-sim"));
    const QString link = dataDir + QStringLiteral("/ports/COM1");
    QVERIFY2(sim->waitForLine(link), qPrintable(sim->output() + sim->errors()));
    clearStaleLocks(QFileInfo(link).symLinkTarget());

    const auto zentrel = start(QStringLiteral("bin/zentrel"));
    const QDeadlineTimer deadline(20000);
    while (!heldExclusively(link) && zentrel->isRunning() && !deadline.hasExpired())
        QTest::qWait(50);
    QVERIFY2(heldExclusively(link), qPrintable(zentrel->errors()));

    zentrel->sendSignal(SIGTERM);
    QCOMPARE(zentrel->waitForExit(), 0);
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll(), kSavedIni);
    QVERIFY(!QFileInfo::exists(bin + QStringLiteral("/Zentrel.ini")));
    QVERIFY(!QFileInfo::exists(bin + QStringLiteral("/ports")));

    sim->sendSignal(SIGTERM);
    QCOMPARE(sim->waitForExit(), 0);
    QFile::setPermissions(bin, owner);
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
