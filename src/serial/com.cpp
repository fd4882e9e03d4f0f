#include "serial/com.h"

#include "serial/deviceidentity.h"
#include "serial/portaccess.h"
#include "tools/apppath.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include <algorithm>
#include <sys/stat.h>

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

std::function<QStringList()> &deviceOverride()
{
    static std::function<QStringList()> devices;
    return devices;
}

QStringList systemDevicePaths()
{
    QStringList paths;
    for (const auto &info : QSerialPortInfo::availablePorts())
        paths.append(QFileInfo(info.systemLocation()).canonicalFilePath());
    return paths;
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

namespace {

// What a number means for the run, settled when it is first asked for.
struct PortDevice
{
    enum class Kind { None, Pinned, Found };
    Kind kind = Kind::None;
    // Pinned: the links it was last seen through; Found: the node the
    // device was last seen at.
    QString chain;
    QString node;
    // Unknown while a pin dangles; empty for a pseudo-terminal.
    std::optional<QString> identity;
    bool lost = false;
};

struct Numbering
{
    QString portsDirectory;
    std::array<PortDevice, kPortCount> ports;
};

struct Chain
{
    bool linked = false;
    QString signature; // every link's place, inode, change time and target
    QString node;      // canonical end; empty when it dangles
    QStringList folders;
    bool staleSimulator = false;
};

QString firstLine(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readLine(256).trimmed())
                                          : QString();
}

// The start of a process in clock ticks after boot, empty when none runs.
QString processStart(const QString &pid)
{
    const QString stat = firstLine(QStringLiteral("/proc/%1/stat").arg(pid));
    const auto fields = stat.mid(stat.lastIndexOf(u')') + 2).split(u' ');
    return fields.size() > 19 ? fields.at(19) : QString();
}

// The simulator leaves ports/COM<n>.sim beside its pin, naming the pin's
// target and the process that made it, so a pin it left behind when killed
// can be told from the pin of one that runs.
bool staleSimulatorPin(const QString &link, const QString &target)
{
    QFile marker(link + QStringLiteral(".sim"));
    if (!marker.open(QIODevice::ReadOnly))
        return false;
    QHash<QString, QString> fields;
    for (const auto &line : QString::fromLocal8Bit(marker.readAll()).split(u'\n')) {
        const auto space = line.indexOf(u' ');
        if (space > 0)
            fields.insert(line.left(space), line.mid(space + 1));
    }
    if (fields.value(QStringLiteral("target")) != target)
        return false;
    const QString start = processStart(fields.value(QStringLiteral("pid")));
    return start.isEmpty() || start != fields.value(QStringLiteral("start")) ||
           firstLine(QStringLiteral("/proc/sys/kernel/random/boot_id")) !=
               fields.value(QStringLiteral("boot"));
}

QString existingFolder(QString path)
{
    while (!path.isEmpty() && path != QStringLiteral("/") && !QFileInfo(path).isDir())
        path = QFileInfo(path).path();
    return path;
}

Chain readChain(const QString &link)
{
    Chain chain;
    chain.folders.append(existingFolder(QFileInfo(link).path()));
    QString at = link;
    for (int hop = 0; hop < 32; ++hop) {
        struct stat status = {};
        if (::lstat(QFile::encodeName(at).constData(), &status) != 0)
            break;
        if (!S_ISLNK(status.st_mode)) {
            chain.node = QFileInfo(at).canonicalFilePath();
            break;
        }
        const QString target = QFileInfo(at).symLinkTarget();
        const QString raw = QFile::symLinkTarget(at);
        if (hop == 0) {
            chain.linked = true;
            chain.staleSimulator = staleSimulatorPin(at, raw);
            // A restarted simulator may get the same node and inode again.
            chain.signature += firstLine(at + QStringLiteral(".sim")) + u'|';
        }
        chain.signature += QStringLiteral("%1 %2 %3.%4 %5|")
                               .arg(at)
                               .arg(status.st_ino)
                               .arg(status.st_ctim.tv_sec)
                               .arg(status.st_ctim.tv_nsec)
                               .arg(target);
        chain.folders.append(existingFolder(QFileInfo(target).path()));
        at = target;
    }
    if (!chain.linked && QFileInfo::exists(link))
        chain.linked = true; // a plain file in place of a link
    chain.folders.removeDuplicates();
    return chain;
}

Numbering &numbering()
{
    static Numbering run;
    // Another program directory is another start (tests run many).
    if (run.portsDirectory != portsDirectory()) {
        run = Numbering{portsDirectory(), {}};
        const auto pins = readPins();
        const bool allPinned =
            std::all_of(pins.begin(), pins.end(), [](const auto &pin) { return pin.has_value(); });
        QStringList devices;
        if (deviceOverride())
            devices = deviceOverride()();
        else if (!allPinned)
            devices = orderSerialDevices(systemDevicePaths());
        const auto table = assignPorts(pins, devices);
        for (int n = kLowestPort; n <= kHighestPort; ++n) {
            auto &port = run.ports[size_t(n)];
            if (pins[size_t(n)]) {
                port.kind = PortDevice::Kind::Pinned;
                port.chain = QStringLiteral("settling");
            } else if (!table[size_t(n)].isEmpty()) {
                port.kind = PortDevice::Kind::Found;
                port.node = table[size_t(n)];
                port.identity = deviceIdentity(port.node);
            }
        }
    }
    return run;
}

QString pinnedPath(int n, PortDevice &port)
{
    const Chain chain = readChain(pinLink(n));
    if (!chain.linked || chain.staleSimulator)
        return {};
    if (chain.signature != port.chain) {
        // Re-pointed (or first seen): whatever it leads to is the port's device.
        port.chain = chain.signature;
        port.node = chain.node;
        port.identity = chain.node.isEmpty() ? std::nullopt
                                             : std::optional<QString>(deviceIdentity(chain.node));
        port.lost = false;
        return chain.node;
    }
    if (chain.node.isEmpty()) {
        if (port.identity && port.identity->isEmpty())
            port.lost = true;
        return {};
    }
    const QString identity = deviceIdentity(chain.node);
    if (!port.identity) {
        // Dangling when first seen: a device appearing at the node is taken,
        // but a pseudo-terminal there is anybody's.
        if (identity.isEmpty())
            return {};
        port.identity = identity;
        return chain.node;
    }
    if (port.identity->isEmpty())
        return port.lost ? QString() : chain.node;
    return identity == *port.identity ? chain.node : QString();
}

QString foundPath(PortDevice &port)
{
    const bool there = QFileInfo::exists(port.node);
    if (port.identity->isEmpty()) {
        port.lost = port.lost || !there;
        return port.lost ? QString() : port.node;
    }
    if (there && deviceIdentity(port.node) == *port.identity)
        return port.node;
    if (!port.identity->startsWith(QStringLiteral("usb ")))
        return {};
    for (const auto &node : adapterNodes()) {
        if (QFileInfo::exists(node) && deviceIdentity(node) == *port.identity) {
            port.node = node;
            return node;
        }
    }
    return {};
}

} // namespace

QString devicePath(int n)
{
    if (n < kLowestPort || n > kHighestPort)
        return {};
    auto &port = numbering().ports[size_t(n)];
    switch (port.kind) {
    case PortDevice::Kind::Pinned:
        return pinnedPath(n, port);
    case PortDevice::Kind::Found:
        return foundPath(port);
    case PortDevice::Kind::None:
        break;
    }
    return {};
}

void deviceLost(int n)
{
    if (n >= kLowestPort && n <= kHighestPort)
        numbering().ports[size_t(n)].lost = true;
}

QStringList watchFolders(int n)
{
    if (n < kLowestPort || n > kHighestPort)
        return {};
    const auto &port = numbering().ports[size_t(n)];
    if (port.kind == PortDevice::Kind::Pinned)
        return readChain(pinLink(n)).folders;
    if (port.kind == PortDevice::Kind::Found)
        return {existingFolder(QFileInfo(port.node).path())};
    return {};
}

void overrideSerialDevices(std::function<QStringList()> devices)
{
    deviceOverride() = std::move(devices);
}

bool ProbePort(int n)
{
    return !checkPort(n).refused();
}

QList<int> ProbePorts()
{
    return probeRound().openable;
}

} // namespace zentrel::com
