#pragma once

#include "pseudoterminal.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace zentrel::test {

// A program the tests run (the simulator, the program, Xvfb), with its
// output kept line by line.
class ChildProcess
{
public:
    explicit ChildProcess(
        const QString &program, const QStringList &arguments,
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        m_process.setProcessEnvironment(environment);
        m_process.start(program, arguments);
        m_process.waitForStarted(5000);
    }
    ~ChildProcess()
    {
        if (isRunning()) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Waits for an output line containing `text`, from the start of the run.
    bool waitForLine(const QString &text, int timeoutMs = 10000)
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
    QString output()
    {
        collect();
        return m_output;
    }
    QString errors()
    {
        collect();
        return m_errors;
    }

    void sendSignal(int number)
    {
        if (isRunning())
            ::kill(pid_t(m_process.processId()), number);
    }
    // Waits for the end, then the exit code; -1 when it did not end in time.
    int waitForExit(int timeoutMs = 10000)
    {
        if (isRunning() && !m_process.waitForFinished(timeoutMs))
            return -1;
        collect();
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    qint64 processId() const { return m_process.processId(); }

private:
    void collect()
    {
        m_output += QString::fromLocal8Bit(m_process.readAllStandardOutput());
        m_errors += QString::fromLocal8Bit(m_process.readAllStandardError());
    }

    QProcess m_process;
    QString m_output;
    QString m_errors;
};

// An end of a pseudo-terminal line the test opens by its path, as a program
// opens its serial port.
class LineEnd
{
public:
    explicit LineEnd(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(),
                      O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
    {}
    ~LineEnd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    LineEnd(const LineEnd &) = delete;
    LineEnd &operator=(const LineEnd &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    void write(const QByteArray &bytes)
    {
        if (m_fd >= 0) [[maybe_unused]]
            const auto written = ::write(m_fd, bytes.constData(), size_t(bytes.size()));
    }
    // Reads until `expected` bytes arrived or the time is up.
    QByteArray read(qsizetype expected, int timeoutMs = 3000)
    {
        return readUntil(m_fd, expected, timeoutMs, false);
    }

private:
    int m_fd = -1;
};

} // namespace zentrel::test
