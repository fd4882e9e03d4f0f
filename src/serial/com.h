#pragma once

#include <QString>

// Port numbering and the port probe. Ports are numbers 0 to 16; on this
// system a link ports/COM<n> beside the program pins number n to a device,
// and the numbers no link pins go, from 1 up, to the serial devices the
// system reports, in a fixed order.
namespace zentrel::com {

inline constexpr int kLowestPort = 0;
inline constexpr int kHighestPort = 16;

QString portsDirectory();

// The canonical device path of port n; empty when the port is absent.
QString devicePath(int n);

// True when port n exists and could be opened at this moment; the port is
// left closed. A port another program holds (a live lock file, or exclusive
// use on the device) fails, also for root.
bool ProbePort(int n);

} // namespace zentrel::com
