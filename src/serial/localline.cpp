#include "serial/localline.h"

#include "serial/com.h"

#include <QSocketNotifier>

#include <sys/ioctl.h>

namespace zentrel {

namespace {
// Opening a serial device toggles its control lines: never in a loop.
constexpr int kAttemptGapMs = 2000;

com::Refusal gone(int port)
{
    com::Refusal refusal;
    refusal.reason = com::Refusal::Reason::Gone;
    refusal.port = port;
    return refusal;
}
} // namespace

LocalLine::LocalLine(int portNumber, QObject *parent) : Line(parent), m_portNumber(portNumber)
{
    connect(&m_port, &QSerialPort::readyRead, this, &Line::readyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &LocalLine::onError);
}

bool LocalLine::open()
{
    if (m_port.isOpen()) {
        m_refusal = {};
        return true;
    }
    const QString path = com::devicePath(m_portNumber);
    m_refusal = com::checkLocks(m_portNumber, path);
    if (m_refusal.refused())
        return false;
    if (openOn(path))
        return true;
    if (m_port.error() == QSerialPort::PermissionError)
        m_refusal = com::permissionRefusal(m_portNumber, path);
    return false;
}

bool LocalLine::openOn(const QString &path)
{
    if (path.isEmpty())
        return false;
    m_port.setPortName(path);
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_failing = false;
    return m_port.open(QIODevice::ReadWrite);
}

void LocalLine::close()
{
    if (m_port.isOpen())
        m_port.close();
}

bool LocalLine::write(QByteArrayView bytes)
{
    if (!m_port.isOpen() || m_port.write(bytes.data(), bytes.size()) != bytes.size())
        return false;
    // Put the bytes on the line now rather than at the next event loop pass.
    m_port.flush();
    return m_port.isOpen();
}

qint64 LocalLine::unsent() const
{
    if (!m_port.isOpen())
        return 0;
    int queued = 0;
    if (::ioctl(int(m_port.handle()), TIOCOUTQ, &queued) != 0)
        queued = 0;
    return m_port.bytesToWrite() + queued;
}

QSocketNotifier *LocalLine::readNotifier() const
{
    for (auto *notifier : m_port.findChildren<QSocketNotifier *>()) {
        if (notifier->type() == QSocketNotifier::Read && notifier->socket() == m_port.handle())
            return notifier;
    }
    return nullptr;
}

void LocalLine::setReading(bool reading)
{
    if (!m_port.isOpen())
        return;
    if (auto *notifier = readNotifier())
        notifier->setEnabled(reading);
}

bool LocalLine::reopen()
{
    if (m_port.isOpen())
        return true;
    const QString path = com::devicePath(m_portNumber);
    m_folders = com::watchFolders(m_portNumber);
    // A live holder, or a dead one's lock nobody may remove here: the lock
    // going away is the sign to look again. A dead lock this user may remove
    // is gone after the look.
    const com::Refusal locked = com::checkLocks(m_portNumber, path);
    // A program that holds the port keeps its reason; otherwise the device
    // is still away.
    m_refusal = locked.told() ? locked : gone(m_portNumber);
    if (locked.told())
        m_folders += com::lockFolders();
    m_folders.removeAll(QString());
    if (locked.refused())
        return false;
    if (m_lastAttempt.isValid() && m_lastAttempt.elapsed() < kAttemptGapMs)
        return false;
    m_lastAttempt.start();
    const com::Refusal device = com::checkDevice(m_portNumber, path);
    if (device.reason == com::Refusal::Reason::Busy)
        m_refusal = device;
    if (device.refused() || !openOn(path))
        return false;
    m_refusal = {};
    return true;
}

void LocalLine::onError(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        break;
    default:
        // Line errors and timeouts are not the link's concern.
        return;
    }
    if (m_failing)
        return;
    m_failing = true;
    // Keep whatever arrived before the failure, then stop the error storm the
    // dead descriptor would otherwise raise.
    if (m_port.isOpen()) {
        Q_EMIT readyRead();
        m_port.close();
    }
    m_port.clearError();
    com::deviceLost(m_portNumber);
    m_refusal = gone(m_portNumber);
    m_lastAttempt.invalidate();
    m_folders = com::watchFolders(m_portNumber);
    Q_EMIT failed();
}

} // namespace zentrel
