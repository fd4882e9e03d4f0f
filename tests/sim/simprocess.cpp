#include "simprocess.h"

#include <QDeadlineTimer>
#include <QFile>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace zentrel::test {

ChildProcess::ChildProcess(const QString &program, const QStringList &arguments,
                           const QProcessEnvironment &environment)
{
    m_process.setProcessEnvironment(environment);
    m_process.start(program, arguments);
    m_process.waitForStarted(5000);
}

ChildProcess::~ChildProcess()
{
    if (isRunning()) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

void ChildProcess::collect()
{
    m_output += QString::fromLocal8Bit(m_process.readAllStandardOutput());
    m_errors += QString::fromLocal8Bit(m_process.readAllStandardError());
}

bool ChildProcess::waitForLine(const QString &text, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (true) {
        collect();
        if (m_output.contains(text))
            return true;
        if (deadline.hasExpired() || !isRunning())
            return false;
        m_process.waitForReadyRead(20);
    }
}

QString ChildProcess::output()
{
    collect();
    return m_output;
}

QString ChildProcess::errors()
{
    collect();
    return m_errors;
}

void ChildProcess::sendSignal(int number)
{
    if (isRunning())
        ::kill(pid_t(m_process.processId()), number);
}

int ChildProcess::waitForExit(int timeoutMs)
{
    if (isRunning() && !m_process.waitForFinished(timeoutMs))
        return -1;
    collect();
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

LineEnd::LineEnd(const QString &path)
{
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

LineEnd::~LineEnd()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void LineEnd::write(const QByteArray &bytes)
{
    if (m_fd >= 0) [[maybe_unused]]
        const auto written = ::write(m_fd, bytes.constData(), size_t(bytes.size()));
}

QByteArray LineEnd::read(qsizetype expected, int timeoutMs)
{
    QByteArray got;
    const QDeadlineTimer deadline(timeoutMs);
    while (m_fd >= 0 && got.size() < expected && !deadline.hasExpired()) {
        pollfd ready = {m_fd, POLLIN, 0};
        if (::poll(&ready, 1, 20) <= 0)
            continue;
        char buffer[1024];
        const auto n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0)
            got.append(buffer, n);
    }
    return got;
}

} // namespace zentrel::test
