#include "serial/portaccess.h"

#include "serial/com.h"
#include "serial/networkprobe.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <limits>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentrel::com {

namespace {

QStringList &lockFolderOverride()
{
    static QStringList folders;
    return folders;
}

// Qt names the lock after the device path below /dev/, slashes made
// underscores (LCK..pts_3); older programs use the bare device name.
QStringList lockNames(const QString &devicePath)
{
    const QString below =
        devicePath.startsWith(QStringLiteral("/dev/")) ? devicePath.mid(5) : devicePath;
    QStringList names = {QStringLiteral("LCK..") + QString(below).replace(u'/', u'_'),
                         QStringLiteral("LCK..") + QFileInfo(devicePath).fileName()};
    names.removeDuplicates();
    return names;
}

QString processName(qint64 pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    return comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readLine(64).trimmed())
                                          : QString();
}

Refusal make(Refusal::Reason reason, int n, const QString &device = {},
             const QString &lockFile = {})
{
    Refusal refusal;
    refusal.reason = reason;
    refusal.port = n;
    refusal.device = device;
    refusal.lockFile = lockFile;
    return refusal;
}

bool processRuns(qint64 pid)
{
    // EPERM: it runs, as another user.
    return pid > 0 && pid <= std::numeric_limits<pid_t>::max() &&
           (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

} // namespace

QStringList lockFolders()
{
    if (!lockFolderOverride().isEmpty())
        return lockFolderOverride();
    static const QStringList folders = [] {
        const QStringList candidates = {
            QStringLiteral("/var/lock"),
            QStringLiteral("/etc/locks"),
            QStringLiteral("/var/spool/locks"),
            QStringLiteral("/var/spool/uucp"),
            QStringLiteral("/tmp"),
            QStringLiteral("/var/tmp"),
            QStringLiteral("/var/lock/lockdev"),
            QStringLiteral("/run/lock"),
            QStandardPaths::writableLocation(QStandardPaths::TempLocation)};
        // /var/lock is usually /run/lock: each folder once.
        QStringList found;
        for (const auto &candidate : candidates) {
            const QString canonical = QFileInfo(candidate).canonicalFilePath();
            if (!canonical.isEmpty() && !found.contains(canonical))
                found.append(canonical);
        }
        return found;
    }();
    return folders;
}

void overrideLockFolders(const QStringList &folders)
{
    lockFolderOverride() = folders;
}

Refusal checkLocks(int n, const QString &devicePath)
{
    if (devicePath.isEmpty())
        return make(Refusal::Reason::Missing, n);
    for (const auto &folder : lockFolders()) {
        for (const auto &name : lockNames(devicePath)) {
            const QString path = folder + u'/' + name;
            QFile lock(path);
            if (!lock.open(QIODevice::ReadOnly)) {
                if (!QFileInfo::exists(path))
                    continue;
                // Unreadable: nobody can tell whose it is, so it holds.
                return make(Refusal::Reason::Locked, n, devicePath, path);
            }
            // A pid in decimal, maybe padded, on the first line; what follows
            // (Qt's program and host names) is not needed.
            bool ok = false;
            const qint64 pid = lock.readLine(64).trimmed().toLongLong(&ok);
            lock.close();
            if (ok && processRuns(pid)) {
                Refusal held = make(Refusal::Reason::Locked, n, devicePath, path);
                held.pid = pid;
                held.program = processName(pid);
                return held;
            }
            if (!QFile::remove(path))
                return make(Refusal::Reason::DeadLock, n, devicePath, path);
        }
    }
    return make(Refusal::Reason::None, n, devicePath);
}

Refusal permissionRefusal(int n, const QString &devicePath)
{
    const QByteArray name = QFile::encodeName(devicePath);
    struct stat status = {};
    if (::access(name.constData(), R_OK | W_OK) == 0 || (errno != EACCES && errno != EPERM) ||
        ::stat(name.constData(), &status) != 0)
        return make(Refusal::Reason::Missing, n, devicePath);
    Refusal refusal = make(Refusal::Reason::Permission, n, devicePath);
    // Only a group that may read and write is worth joining.
    if ((status.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP)) {
        if (const auto *entry = ::getgrgid(status.st_gid))
            refusal.group = QString::fromLocal8Bit(entry->gr_name);
    }
    return refusal;
}

Refusal checkPort(int n)
{
    if (const auto server = networkPin(n)) {
        if (!server->valid())
            return invalidPin(n, *server);
        return probeServers({{n, *server}}).value(0);
    }
    const QString path = devicePath(n);
    const Refusal locked = checkLocks(n, path);
    return locked.refused() ? locked : checkDevice(n, path);
}

Refusal checkDevice(int n, const QString &path)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == EACCES || errno == EPERM ? permissionRefusal(n, path)
                                                 : make(Refusal::Reason::Missing, n, path);
    // Root may open a device held exclusively, so ask the device itself.
    int exclusive = 0;
    const bool terminal = ::isatty(fd);
    const bool held = terminal && ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive;
    ::close(fd);
    if (!terminal)
        return make(Refusal::Reason::Missing, n, path);
    return make(held ? Refusal::Reason::Busy : Refusal::Reason::None, n, path);
}

ProbeRound probeRound()
{
    struct Answers
    {
        QString portsDirectory;
        QElapsedTimer when;
        QHash<QString, Refusal> byServer; // "n url"
    };
    static Answers recent;
    if (recent.portsDirectory != portsDirectory() || !recent.when.isValid() ||
        recent.when.hasExpired(kServerAnswerMs))
        recent = Answers{portsDirectory(), {}, {}};

    std::array<Refusal, kPortCount> answers;
    QList<std::pair<int, NetworkPin>> servers;
    const auto key = [](int n, const NetworkPin &server) {
        return QString::number(n) + u' ' + server.url;
    };
    for (int n = kLowestPort; n <= kHighestPort; ++n) {
        const auto server = networkPin(n);
        if (!server)
            answers[size_t(n)] = checkPort(n);
        else if (!server->valid())
            answers[size_t(n)] = invalidPin(n, *server);
        else if (recent.byServer.contains(key(n, *server)))
            answers[size_t(n)] = recent.byServer.value(key(n, *server));
        else
            servers.append({n, *server});
    }
    if (!servers.isEmpty()) {
        const auto probed = probeServers(servers);
        for (qsizetype i = 0; i < servers.size(); ++i) {
            answers[size_t(servers[i].first)] = probed.at(i);
            recent.byServer.insert(key(servers[i].first, servers[i].second), probed.at(i));
        }
        recent.when.start();
    }

    ProbeRound round;
    for (int n = kLowestPort; n <= kHighestPort; ++n) {
        const Refusal &refusal = answers[size_t(n)];
        if (!refusal.refused())
            round.openable.append(n);
        else if (refusal.told())
            round.told.append(refusal);
    }
    return round;
}

namespace {

QString serverProblem(const Refusal &refusal)
{
    switch (refusal.reason) {
    case Refusal::Reason::Refused:
        return QStringLiteral("the server refused the connection.");
    case Refusal::Reason::NoRoute:
        return refusal.detail.isEmpty()
                   ? QStringLiteral("no route to the server.")
                   : QStringLiteral("no route to the server (%1).").arg(refusal.detail);
    case Refusal::Reason::TimedOut:
        return QStringLiteral("the connection timed out: the server did not answer.");
    case Refusal::Reason::NameNotFound:
        return QStringLiteral("host name %1 not found.").arg(refusal.detail);
    case Refusal::Reason::InUse:
        return refusal.detail.isEmpty()
                   ? QStringLiteral("the server closed the connection at once; the port may be "
                                    "in use.")
                   : QStringLiteral("the server says the port is in use: \"%1\".")
                         .arg(refusal.detail);
    case Refusal::Reason::Dropped:
        return QStringLiteral("the connection ended: %1.").arg(refusal.detail);
    case Refusal::Reason::InvalidPin:
        return refusal.detail + u'.';
    default:
        return {};
    }
}

} // namespace

QString explain(const QList<Refusal> &refusals)
{
    QStringList lines;
    QStringList groups;
    for (const auto &refusal : refusals) {
        const QString port = QStringLiteral("COM%1 (%2): ").arg(refusal.port).arg(refusal.device);
        switch (refusal.reason) {
        case Refusal::Reason::Permission:
            if (refusal.group.isEmpty()) {
                lines.append(port + QStringLiteral("permission denied."));
            } else {
                lines.append(port + QStringLiteral("permission denied; the device belongs to "
                                                   "group %1.")
                                        .arg(refusal.group));
                if (!groups.contains(refusal.group))
                    groups.append(refusal.group);
            }
            break;
        case Refusal::Reason::Locked:
            if (refusal.pid <= 0)
                lines.append(port +
                             QStringLiteral("lock file %1 cannot be read.").arg(refusal.lockFile));
            else if (refusal.program.isEmpty())
                lines.append(port + QStringLiteral("locked by process %1.").arg(refusal.pid));
            else
                lines.append(port + QStringLiteral("locked by process %1 (%2).")
                                        .arg(refusal.pid)
                                        .arg(refusal.program));
            break;
        case Refusal::Reason::Gone:
            lines.append(QStringLiteral("COM%1: the device went away; the port opens again by "
                                        "itself when it is back.")
                             .arg(refusal.port));
            break;
        case Refusal::Reason::DeadLock:
            lines.append(port + QStringLiteral("lock file %1 is left from a process that no "
                                               "longer runs.")
                                    .arg(refusal.lockFile));
            break;
        default:
            if (const QString why = serverProblem(refusal); !why.isEmpty())
                lines.append(port + why);
            break;
        }
    }
    for (const auto &group : groups)
        lines.append(
            QStringLiteral("Join group %1 (sudo adduser $USER %1), then log in again.").arg(group));
    return lines.join(u'\n');
}

} // namespace zentrel::com
