#pragma once

#include <QString>
#include <QStringList>

// Which device stands behind a node, as the system reports it, so that a
// node the system hands to another device is not taken for the one before.
namespace zentrel::com {

// For a USB or ACM adapter: its vendor, product and serial number, or, where
// it has none, the USB port path it hangs on, with its interface and port,
// read from sysfs under `sysfsRoot`. For a pseudo-terminal: empty, since the
// system reuses its node for any new one. For any other node: the node.
QString deviceIdentity(const QString &node, const QString &sysfsRoot = QStringLiteral("/sys"));

// The nodes of the USB and ACM adapters the system has now.
QStringList adapterNodes(const QString &sysfsRoot = QStringLiteral("/sys"));

} // namespace zentrel::com
