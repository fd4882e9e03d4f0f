#pragma once

#include "serial/networkpin.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

// Port numbering and the port probe. Ports are numbers 0 to 16; on this
// system a link ports/COM<n> beside the program pins number n to a device,
// a plain file there pins it to a port of a serial device server (see
// serial/pinreader.h), and the numbers nothing pins go, from 1 up, to the
// serial devices the system reports, in a fixed order. The numbers are
// settled once for the run: a device that goes away leaves its number
// absent, never to another.
namespace zentrel::com {

inline constexpr int kLowestPort = 0;
inline constexpr int kHighestPort = 16;

inline constexpr int kPortCount = kHighestPort + 1;

// Per port number: the canonical target of its ports/ link (empty when the
// link dangles), or nothing when no link pins it.
using Pins = std::array<std::optional<QString>, kPortCount>;
using PortTable = std::array<QString, kPortCount>;

// Serial device paths in numbering order: real UARTs, then USB adapters,
// then ACM modems, each by index; other devices are left out.
QStringList orderSerialDevices(const QStringList &paths);

// Device path per port number: pinned numbers get their link's target, the
// others from 1 up get the devices no link claims, in order.
PortTable assignPorts(const Pins &pins, const QStringList &orderedDevices);

QString portsDirectory();

// The canonical device path of port n; empty when the port is absent. A
// pinned number follows its link and the links behind it; a re-pointed link
// is taken as the port's device, while a node behind an unchanged chain must
// still hold the device it held (a pseudo-terminal that went never comes
// back by its node). An automatic number follows its device's identity. A
// simulator's pin whose process has ended is absent, wherever it points.
QString devicePath(int n);

// The server port n is pinned to, as its file says now (or why it names
// none); nothing when n is not pinned to a server.
std::optional<NetworkPin> networkPin(int n);

// The line on port n failed: what stood behind it is gone.
void deviceLost(int n);

// The folders port n's links and node live in (or their nearest existing
// parents), where its device coming back shows.
QStringList watchFolders(int n);

// Stands in for the system's serial devices, in numbering order, for the
// numberings settled from now on; nothing restores the system's.
void overrideSerialDevices(std::function<QStringList()> devices);

// True when port n exists and could be opened at this moment; the port is
// left closed. A port another program holds (a live lock file, or exclusive
// use on the device) fails, also for root. A lock file of a process that no
// longer runs is removed on the way when this user may. A port on a server
// passes when the server accepts a connection within a second (closed again
// at once). Why a port fails is told by checkPort (serial/portaccess.h),
// which this answers from.
bool ProbePort(int n);

// The numbers ProbePort would accept, in order, asking the system for its
// serial devices once for the whole round rather than once per number, and
// every server at the same time.
QList<int> ProbePorts();

} // namespace zentrel::com
