#include "serial/com.h"

#include "tools/apppath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace zentrel::com {

namespace {

QString pinLink(int n)
{
    return portsDirectory() + QStringLiteral("COM%1").arg(n);
}

bool isPinned(int n)
{
    // A dangling link pins too: the number stays reserved, the port absent.
    return QFileInfo(pinLink(n)).isSymLink() || QFileInfo::exists(pinLink(n));
}

// Real UARTs first, then USB adapters, then ACM modems, each by index, so the
// same devices always get the same numbers.
QStringList systemDevices(const QStringList &taken)
{
    static const QStringList families = {QStringLiteral("ttyS"), QStringLiteral("ttyUSB"),
                                         QStringLiteral("ttyACM")};
    static const QRegularExpression pattern(QStringLiteral("^(\\D+)(\\d+)$"));
    struct Device
    {
        qsizetype family;
        int index;
        QString path;
    };
    std::vector<Device> devices;
    for (const auto &info : QSerialPortInfo::availablePorts()) {
        const auto match = pattern.match(info.portName());
        if (!match.hasMatch())
            continue;
        const auto family = families.indexOf(match.captured(1));
        const auto path = QFileInfo(info.systemLocation()).canonicalFilePath();
        if (family < 0 || path.isEmpty() || taken.contains(path))
            continue;
        devices.push_back({family, match.captured(2).toInt(), path});
    }
    std::sort(devices.begin(), devices.end(), [](const Device &a, const Device &b) {
        return std::tie(a.family, a.index) < std::tie(b.family, b.index);
    });
    QStringList paths;
    for (const auto &device : devices)
        paths.append(device.path);
    return paths;
}

// The lock file serial programs leave beside the device name, holding the
// holder's process id.
bool lockedByLiveProcess(const QString &devicePath)
{
    static const QStringList lockDirectories = {
        QStringLiteral("/var/lock"), QStringLiteral("/etc/locks"),
        QStringLiteral("/var/spool/locks"), QStringLiteral("/var/spool/uucp"), QDir::tempPath()};
    const auto relative = devicePath.startsWith(QStringLiteral("/dev/"))
                              ? devicePath.mid(5)
                              : QFileInfo(devicePath).fileName();
    QStringList names = {QStringLiteral("LCK..") + QString(relative).replace(u'/', u'_'),
                         QStringLiteral("LCK..") + QFileInfo(devicePath).fileName()};
    names.removeDuplicates();
    for (const auto &directory : lockDirectories) {
        for (const auto &name : names) {
            QFile lock(directory + u'/' + name);
            if (!lock.open(QIODevice::ReadOnly))
                continue;
            bool ok = false;
            const auto pid = lock.readLine(64).trimmed().toLongLong(&ok);
            if (ok && pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM))
                return true;
        }
    }
    return false;
}

} // namespace

QString portsDirectory()
{
    return AppPath() + QStringLiteral("ports/");
}

QString devicePath(int n)
{
    if (n < kLowestPort || n > kHighestPort)
        return {};
    if (isPinned(n))
        return QFileInfo(pinLink(n)).canonicalFilePath();
    if (n == kLowestPort)
        return {};

    QStringList pinnedDevices;
    for (int other = kLowestPort; other <= kHighestPort; ++other) {
        if (isPinned(other)) {
            const auto target = QFileInfo(pinLink(other)).canonicalFilePath();
            if (!target.isEmpty())
                pinnedDevices.append(target);
        }
    }
    // Number n is the k-th unpinned number from 1; it gets the k-th device.
    int rank = 0;
    for (int other = 1; other < n; ++other) {
        if (!isPinned(other))
            ++rank;
    }
    const auto devices = systemDevices(pinnedDevices);
    return rank < devices.size() ? devices.at(rank) : QString();
}

bool ProbePort(int n)
{
    const auto path = devicePath(n);
    if (path.isEmpty() || lockedByLiveProcess(path))
        return false;
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Root may open a device held exclusively, so ask the device itself.
    int exclusive = 0;
    const bool free = ::isatty(fd) && !(::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive);
    ::close(fd);
    return free;
}

} // namespace zentrel::com
