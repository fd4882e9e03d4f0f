#include "serial/deviceidentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zentrel::com {

namespace {

QString attribute(const QString &directory, const char *name)
{
    QFile file(directory + u'/' + QLatin1StringView(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll().trimmed());
}

} // namespace

QString deviceIdentity(const QString &node, const QString &sysfsRoot)
{
    if (node.startsWith(QStringLiteral("/dev/pts/")))
        return {};
    const QString name = QFileInfo(node).fileName();
    const QString device =
        QFileInfo(sysfsRoot + QStringLiteral("/class/tty/") + name + QStringLiteral("/device"))
            .canonicalFilePath();
    const QString devices = QFileInfo(sysfsRoot + QStringLiteral("/devices")).canonicalFilePath();
    if (device.isEmpty() || devices.isEmpty())
        return node;
    // A USB serial converter's port sits below its interface, an ACM modem's
    // tty on the interface itself; the USB device is the first with a vendor.
    QString interface;
    QString usb;
    for (QString at = device; at.startsWith(devices + u'/'); at = QFileInfo(at).path()) {
        if (interface.isEmpty())
            interface = attribute(at, "bInterfaceNumber");
        if (QFileInfo::exists(at + QStringLiteral("/idVendor"))) {
            usb = at;
            break;
        }
    }
    if (usb.isEmpty())
        return node;
    const QString serial = attribute(usb, "serial");
    // Without a serial number two alike adapters differ only by where they
    // are plugged in.
    const QString which = serial.isEmpty() ? QStringLiteral("path ") + usb.mid(devices.size() + 1)
                                           : QStringLiteral("serial ") + serial;
    QString port = attribute(device, "port_number");
    return QStringLiteral("usb %1:%2 %3 interface %4 port %5")
        .arg(attribute(usb, "idVendor"), attribute(usb, "idProduct"), which, interface,
             port.isEmpty() ? QStringLiteral("0") : port);
}

QStringList adapterNodes(const QString &sysfsRoot)
{
    QStringList nodes;
    const auto names = QDir(sysfsRoot + QStringLiteral("/class/tty"))
                           .entryList({QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")},
                                      QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const auto &name : names)
        nodes.append(QStringLiteral("/dev/") + name);
    return nodes;
}

} // namespace zentrel::com
