#include "serial/seriallink.h"

#include "serial/com.h"

#include <QSet>
#include <QSocketNotifier>

#include <algorithm>
#include <sys/ioctl.h>

namespace zentrel {

namespace {
constexpr int kReadPauseMs = 16; // one screen frame
constexpr qsizetype kTrickle = 256;
// Looks for a missing device: a stat or two, a few times a second at most.
constexpr int kFallbackMs = 400;
constexpr int kSoonMs = 20;
constexpr int kLookGapMs = 20;
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

SerialLink::SerialLink(QObject *parent) : QObject(parent)
{
    m_lineClock.start();
    m_readPause.setSingleShot(true);
    m_readPause.setInterval(kReadPauseMs);
    connect(&m_readPause, &QTimer::timeout, this, &SerialLink::resumeReading);
    connect(&m_port, &QSerialPort::readyRead, this, &SerialLink::readWaiting);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialLink::onError);
    m_soon.setSingleShot(true);
    m_soon.setInterval(kSoonMs);
    m_fallback.setInterval(kFallbackMs);
    connect(&m_soon, &QTimer::timeout, this, &SerialLink::lookAgain);
    connect(&m_fallback, &QTimer::timeout, this, &SerialLink::lookAgain);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_soon,
            qOverload<>(&QTimer::start));
}

bool SerialLink::open()
{
    if (m_port.isOpen()) {
        m_refusal = {};
        return true;
    }
    if (m_waiting)
        return lookAgain();
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

bool SerialLink::openOn(const QString &path)
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
    m_lineFreeAt = 0;
    return m_port.open(QIODevice::ReadWrite);
}

void SerialLink::close()
{
    stopWaiting();
    if (m_port.isOpen())
        m_port.close();
}

void SerialLink::startWaiting()
{
    m_waiting = true;
    m_refusal = gone(m_portNumber);
    m_lastAttempt.invalidate();
    m_lastLook.invalidate();
    watch(com::watchFolders(m_portNumber));
    m_fallback.start();
}

void SerialLink::stopWaiting()
{
    m_waiting = false;
    m_soon.stop();
    m_fallback.stop();
    watch({});
}

void SerialLink::watch(const QStringList &folders)
{
    const QStringList watched = m_watcher.directories();
    if (QSet<QString>(watched.begin(), watched.end()) ==
        QSet<QString>(folders.begin(), folders.end()))
        return;
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
    if (!folders.isEmpty())
        m_watcher.addPaths(folders);
}

bool SerialLink::lookAgain()
{
    if (!m_waiting)
        return false;
    // Rapid Fire asks every millisecond; the answer cannot change that fast.
    if (m_lastLook.isValid() && m_lastLook.elapsed() < kLookGapMs)
        return false;
    m_lastLook.start();
    const QString path = com::devicePath(m_portNumber);
    QStringList folders = com::watchFolders(m_portNumber);
    // A live holder, or a dead one's lock nobody may remove here: the lock
    // going away is the sign to look again. A dead lock this user may remove
    // is gone after the look.
    const com::Refusal locked = com::checkLocks(m_portNumber, path);
    // A program that holds the port keeps its reason; otherwise the device
    // is still away.
    m_refusal = locked.told() ? locked : gone(m_portNumber);
    if (locked.told())
        folders += com::lockFolders();
    folders.removeAll(QString());
    watch(folders);
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
    stopWaiting();
    Q_EMIT reopened();
    return true;
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
    com::deviceLost(m_portNumber);
    startWaiting();
    Q_EMIT lineFailed();
}

} // namespace zentrel
