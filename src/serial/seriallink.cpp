#include "serial/seriallink.h"

#include "serial/com.h"
#include "serial/localline.h"
#include "serial/networkline.h"

#include <algorithm>

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
    connect(&m_watcher, &ReconnectWatcher::lookDue, this, &SerialLink::lookAgain);
}

SerialLink::~SerialLink() = default;

bool SerialLink::isOpen() const
{
    return m_line && m_line->isOpen();
}

bool SerialLink::open()
{
    if (isOpen()) {
        m_refusal = {};
        return true;
    }
    if (m_watcher.isWaiting())
        return lookAgain();
    if (m_line) {
        m_line->disconnect(this);
        m_line->close();
        // It may be in the middle of reporting.
        m_line->deleteLater();
    }
    if (com::networkPin(m_portNumber))
        m_line = new NetworkLine(m_portNumber, this);
    else
        m_line = new LocalLine(m_portNumber, this);
    connect(m_line, &Line::readyRead, this, &SerialLink::readWaiting);
    connect(m_line, &Line::failed, this, &SerialLink::onLineFailed);
    connect(m_line, &Line::reopened, this, &SerialLink::onLineReopened);
    const bool opened = m_line->open();
    m_refusal = m_line->refusal();
    if (opened)
        restartLineClock();
    return opened;
}

void SerialLink::close()
{
    m_watcher.stop();
    if (m_line)
        m_line->close();
}

void SerialLink::restartLineClock()
{
    m_lineFreeAt = 0;
}

bool SerialLink::lookAgain()
{
    if (!m_line || !m_watcher.mayLook())
        return false;
    if (!m_line->reopen()) {
        m_refusal = m_line->refusal();
        m_watcher.watch(m_line->watchFolders());
        return false;
    }
    onLineReopened();
    return true;
}

void SerialLink::onLineReopened()
{
    if (!m_watcher.isWaiting())
        return;
    m_watcher.stop();
    m_refusal = {};
    restartLineClock();
    Q_EMIT reopened();
}

void SerialLink::onLineFailed()
{
    m_refusal = m_line->refusal();
    m_watcher.start(m_line->lookIntervalMs(), m_line->watchFolders());
    Q_EMIT lineFailed();
}

bool SerialLink::write(const QByteArray &text)
{
    if (!isOpen() || !m_line->write(text))
        return false;
    const qint64 now = m_lineClock.nsecsElapsed();
    m_lineFreeAt = std::max(m_lineFreeAt, now) + text.size() * 1'000'000'000 / kLineBytesPerSecond;
    return isOpen();
}

qint64 SerialLink::pendingOutput() const
{
    if (!isOpen())
        return 0;
    return std::max(m_line->unsent(), lineBacklog());
}

// A pseudo-terminal (the simulator, a test set-up) reports nothing of the
// bytes waiting in it and takes all it is given until its buffer of many
// kilobytes is full, and a server takes what its socket buffers hold. Timing
// the bytes as a 9600-baud line would carry them keeps the queue there as
// short as on a real port.
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
    const auto bytes = m_line->readAll();
    if (!bytes.isEmpty())
        Q_EMIT received(bytes);
    // A device that trickles wakes the program for every byte or two, a
    // thousand times a second at 9600 baud. Letting a screen frame's worth
    // of bytes gather first cuts that to sixty, and the screen would not
    // have shown them any sooner; a flood is read without a pause.
    if (bytes.size() < kTrickle && m_line->isOpen()) {
        m_line->setReading(false);
        m_readPause.start();
    }
}

void SerialLink::resumeReading()
{
    if (isOpen())
        m_line->setReading(true);
}

} // namespace zentrel
