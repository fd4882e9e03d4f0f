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

Pins readPins()
{
    Pins pins;
    for (int n = kLowestPort; n <= kHighestPort; ++n) {
        const QFileInfo link(pinLink(n));
        // A dangling link pins too: the number stays reserved, the port absent.
        if (link.isSymLink() || link.exists())
            pins[size_t(n)] = link.canonicalFilePath();
    }
    return pins;
}

QStringList systemDevicePaths()
{
    QStringList paths;
    for (const auto &info : QSerialPortInfo::availablePorts())
        paths.append(QFileInfo(info.systemLocation()).canonicalFilePath());
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

QStringList orderSerialDevices(const QStringList &paths)
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
    for (const auto &path : paths) {
        const auto match = pattern.match(QFileInfo(path).fileName());
        const auto family = match.hasMatch() ? families.indexOf(match.captured(1)) : -1;
        if (family >= 0)
            devices.push_back({family, match.captured(2).toInt(), path});
    }
    std::sort(devices.begin(), devices.end(), [](const Device &a, const Device &b) {
        return std::tie(a.family, a.index) < std::tie(b.family, b.index);
    });
    QStringList ordered;
    for (const auto &device : devices)
        ordered.append(device.path);
    return ordered;
}

PortTable assignPorts(const Pins &pins, const QStringList &orderedDevices)
{
    PortTable table;
    QStringList claimed;
    for (const auto &pin : pins) {
        if (pin && !pin->isEmpty())
            claimed.append(*pin);
    }
    auto next = orderedDevices.cbegin();
    for (int n = kLowestPort; n <= kHighestPort; ++n) {
        if (pins[size_t(n)]) {
            table[size_t(n)] = *pins[size_t(n)];
            continue;
        }
        if (n == kLowestPort)
            continue;
        while (next != orderedDevices.cend() && claimed.contains(*next))
            ++next;
        if (next != orderedDevices.cend())
            table[size_t(n)] = *next++;
    }
    return table;
}

QString portsDirectory()
{
    return AppPath() + QStringLiteral("ports/");
}

QString devicePath(int n)
{
    if (n < kLowestPort || n > kHighestPort)
        return {};
    const auto pins = readPins();
    // Only look at the system's devices when this number is not pinned.
    if (pins[size_t(n)])
        return *pins[size_t(n)];
    return assignPorts(pins, orderSerialDevices(systemDevicePaths()))[size_t(n)];
}

namespace {

bool openableNow(const QString &path)
{
    if (path.isEmpty() || lockedByLiveProcess(path))
        return false;
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Root may open a device held exclusively, so ask the device itself.
    int exclusive = 0;
    const bool free = ::isatty(fd) && !(::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive);
    ::close(fd);
    return free;
}

} // namespace

bool ProbePort(int n)
{
    return openableNow(devicePath(n));
}

QList<int> ProbePorts()
{
    // Listing the system's serial devices costs milliseconds; once is enough.
    const auto table = assignPorts(readPins(), orderSerialDevices(systemDevicePaths()));
    QList<int> openable;
    for (int n = kLowestPort; n <= kHighestPort; ++n) {
        if (openableNow(table[size_t(n)]))
            openable.append(n);
    }
    return openable;
}

} // namespace zentrel::com
