#include "serial/com.h"

#include "serial/deviceidentity.h"
#include "serial/pinreader.h"
#include "serial/portaccess.h"
#include "tools/apppath.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include <algorithm>

namespace zentrel::com {

namespace {

// A pin claims a device for its number: a network pin claims none.
Pins readPins(std::array<Pin::Kind, kPortCount> &kinds)
{
    Pins pins;
    for (int n = kLowestPort; n <= kHighestPort; ++n) {
        const Pin pin = readPin(n);
        kinds[size_t(n)] = pin.kind;
        // A dangling link pins too: the number stays reserved, the port absent.
        if (pin.kind == Pin::Kind::Link)
            pins[size_t(n)] = QFileInfo(pinPath(n)).canonicalFilePath();
        else if (pin.kind == Pin::Kind::Network)
            pins[size_t(n)] = QString();
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
    enum class Kind { None, Pinned, Found, Network };
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

Numbering &numbering()
{
    static Numbering run;
    // Another program directory is another start (tests run many).
    if (run.portsDirectory != portsDirectory()) {
        run = Numbering{portsDirectory(), {}};
        std::array<Pin::Kind, kPortCount> kinds{};
        const auto pins = readPins(kinds);
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
            if (kinds[size_t(n)] == Pin::Kind::Network) {
                port.kind = PortDevice::Kind::Network;
            } else if (pins[size_t(n)]) {
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
    const Chain chain = readChain(pinPath(n));
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
    case PortDevice::Kind::Network:
    case PortDevice::Kind::None:
        break;
    }
    return {};
}

std::optional<NetworkPin> networkPin(int n)
{
    if (n < kLowestPort || n > kHighestPort ||
        numbering().ports[size_t(n)].kind != PortDevice::Kind::Network)
        return std::nullopt;
    const Pin pin = readPin(n);
    if (pin.kind == Pin::Kind::Network)
        return pin.server;
    NetworkPin gone;
    gone.problem = QStringLiteral("the file is gone or no longer a plain file");
    return gone;
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
        return readChain(pinPath(n)).folders;
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
