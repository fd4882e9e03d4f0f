#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <algorithm>

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace zentrel::test {

// Reads the descriptor until `expected` bytes arrived or the time is up,
// serving the Qt event loop meanwhile when a program in this process is at
// the other end. The descriptor is read anew each round: it may be closed
// meanwhile.
inline QByteArray readUntil(const int &fd, qsizetype expected, int timeoutMs, bool serveEvents)
{
    QByteArray got;
    const QDeadlineTimer deadline(timeoutMs);
    while (fd >= 0 && got.size() < expected && !deadline.hasExpired()) {
        if (serveEvents)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        pollfd ready = {fd, POLLIN, 0};
        if (::poll(&ready, 1, serveEvents ? 5 : 20) <= 0)
            continue;
        // No more than asked for: what follows is the next read's.
        char buffer[4096];
        const auto n =
            ::read(fd, buffer, size_t(std::min<qsizetype>(sizeof buffer, expected - got.size())));
        if (n > 0)
            got.append(buffer, n);
    }
    return got;
}

// A real pseudo-terminal standing in for a serial device: the program opens
// the slave side through a ports/ link, the test plays the device on the
// master side. The test keeps a slave descriptor of its own so the line does
// not hang up when the program closes its end.
class PseudoTerminal
{
public:
    PseudoTerminal()
    {
        char name[256] = {};
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
            m_master = m_slave = -1;
            return;
        }
        termios raw = {};
        ::tcgetattr(m_slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_slave, TCSANOW, &raw);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
        ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
        m_slavePath = QString::fromLocal8Bit(name);
    }
    ~PseudoTerminal()
    {
        unplug();
        if (m_slave >= 0)
            ::close(m_slave);
    }
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    // The device's side, for a far end that reads and writes on its own
    // (non-blocking; -1 once unplugged).
    int masterFd() const { return m_master; }

    // Reads what the program wrote, serving the Qt event loop meanwhile,
    // until `expected` bytes arrived or the time is up. Expecting nothing is
    // a check that nothing was sent: see sentSoFar.
    QByteArray read(qsizetype expected, int timeoutMs = 2000)
    {
        if (expected <= 0)
            return sentSoFar();
        return readUntil(m_master, expected, timeoutMs, true);
    }

    // Everything the program handed to the line until now, however late it
    // would be read: after the event loop has had `settleMs` to run what is
    // due (a timer's tick), the test writes a marker on its own end of the
    // line, behind the program's bytes, and takes what arrives before it.
    QByteArray sentSoFar(int settleMs = 100)
    {
        QByteArray got = readUntil(m_master, std::numeric_limits<qsizetype>::max(), settleMs, true);
        if (m_master < 0)
            return got;
        static const QByteArray marker = QByteArrayLiteral("\xFF\x00<marker>\x00\xFF");
        if (::write(m_slave, marker.constData(), size_t(marker.size())) != marker.size())
            return got + "<marker not written>";
        const QDeadlineTimer deadline(10000);
        while (!got.endsWith(marker) && !deadline.hasExpired())
            got += readUntil(m_master, 1, int(deadline.remainingTime()), true);
        return got.endsWith(marker) ? got.chopped(marker.size()) : got + "<marker missing>";
    }

    void write(const QByteArray &bytes)
    {
        qsizetype done = 0;
        while (m_master >= 0 && done < bytes.size()) {
            const auto n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0)
                done += n;
            else if (errno == EAGAIN)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            else
                break;
        }
    }

    // Bytes written by the far end that the program has not read yet.
    int waitingForProgram() const
    {
        int waiting = 0;
        if (m_slave >= 0)
            ::ioctl(m_slave, FIONREAD, &waiting);
        return waiting;
    }

    // The device goes away: the master closes, like a cable pulled.
    void unplug()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};

} // namespace zentrel::test
