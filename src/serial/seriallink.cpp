#include "serial/seriallink.h"

#include "serial/com.h"

#include <QSocketNotifier>

#include <algorithm>
#include <sys/ioctl.h>

namespace zentrel {

namespace {
constexpr int kReadPauseMs = 16; // one screen frame
constexpr qsizetype kTrickle = 256;
} // namespace

SerialLink::SerialLink(QObject *parent) : QObject(parent)
{
    m_lineClock.start();
    m_readPause.setSingleShot(true);
    m_readPause.setInterval(kReadPauseMs);
    connect(&m_readPause, &QTimer::timeout, this, &SerialLink::resumeReading);
    connect(&m_port, &QSerialPort::readyRead, this, &SerialLink::readWaiting);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialLink::onError);
}

bool SerialLink::open()
{
    if (m_port.isOpen())
        return true;
    const auto path = com::devicePath(m_portNumber);
    if (path.isEmpty())
        return false;
    m_port.setPortName(path);
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_failing = false;
    m_lineFreeAt = 0;
    return m_port.open(QIODevice::ReadWrite);
}

void SerialLink::close()
{
    if (m_port.isOpen())
        m_port.close();
}

bool SerialLink::write(const QByteArray &text)
{
    if (!m_port.isOpen())
        return false;
    if (m_port.write(text) != text.size())
        return false;
    const qint64 now = m_lineClock.nsecsElapsed();
    m_lineFreeAt = std::max(m_lineFreeAt, now) + text.size() * 1'000'000'000 / kLineBytesPerSecond;
    // Put the bytes on the line now rather than at the next event loop pass.
    m_port.flush();
    return m_port.isOpen();
}

qint64 SerialLink::pendingOutput() const
{
    if (!m_port.isOpen())
        return 0;
    int queued = 0;
    if (::ioctl(int(m_port.handle()), TIOCOUTQ, &queued) != 0)
        queued = 0;
    return std::max(m_port.bytesToWrite() + queued, lineBacklog());
}

// A pseudo-terminal (the simulator, a test set-up) reports nothing of the
// bytes waiting in it and takes all it is given until its buffer of many
// kilobytes is full. Timing the bytes as a 9600-baud line would carry them
// keeps the queue there as short as on a real port.
qint64 SerialLink::lineBacklog() const
{
    const qint64 left = m_lineFreeAt - m_lineClock.nsecsElapsed();
    if (left <= 0)
        return 0;
    // Rounded up: a byte half sent is still waiting.
    return (left * kLineBytesPerSecond + 999'999'999) / 1'000'000'000;
}

void SerialLink::readWaiting()
{
    const auto bytes = m_port.readAll();
    if (!bytes.isEmpty())
        Q_EMIT received(bytes);
    // A device that trickles wakes the program for every byte or two, a
    // thousand times a second at 9600 baud. Letting a screen frame's worth
    // of bytes gather first cuts that to sixty, and the screen would not
    // have shown them any sooner; a flood is read without a pause.
    if (bytes.size() < kTrickle && m_port.isOpen()) {
        if (auto *notifier = readNotifier()) {
            notifier->setEnabled(false);
            m_readPause.start();
        }
    }
}

QSocketNotifier *SerialLink::readNotifier() const
{
    for (auto *notifier : m_port.findChildren<QSocketNotifier *>()) {
        if (notifier->type() == QSocketNotifier::Read && notifier->socket() == m_port.handle())
            return notifier;
    }
    return nullptr;
}

void SerialLink::resumeReading()
{
    if (!m_port.isOpen())
        return;
    if (auto *notifier = readNotifier())
        notifier->setEnabled(true);
}

void SerialLink::onError(QSerialPort::SerialPortError error)
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
        readWaiting();
        m_port.close();
    }
    m_port.clearError();
    Q_EMIT lineFailed();
}

} // namespace zentrel
