#include "pseudoterminal.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace zentrel::test {

PseudoTerminal::PseudoTerminal()
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

PseudoTerminal::~PseudoTerminal()
{
    unplug();
    if (m_slave >= 0)
        ::close(m_slave);
}

QByteArray PseudoTerminal::read(qsizetype expected, int timeoutMs)
{
    QByteArray got;
    const QDeadlineTimer deadline(timeoutMs);
    while (m_master >= 0 && got.size() < expected && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        pollfd ready = {m_master, POLLIN, 0};
        if (::poll(&ready, 1, 5) <= 0)
            continue;
        char buffer[4096];
        const auto n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0)
            got.append(buffer, n);
    }
    return got;
}

QByteArray PseudoTerminal::readFor(int milliseconds)
{
    return read(std::numeric_limits<qsizetype>::max(), milliseconds);
}

void PseudoTerminal::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const auto n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (errno == EAGAIN) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        } else {
            break;
        }
    }
}

int PseudoTerminal::waitingForProgram() const
{
    int waiting = 0;
    if (m_slave >= 0)
        ::ioctl(m_slave, FIONREAD, &waiting);
    return waiting;
}

void PseudoTerminal::unplug()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

} // namespace zentrel::test
