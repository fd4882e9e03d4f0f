#pragma once

#include <QProcess>
#include <QStringList>

namespace zentrel::test {

// A program the simulator's tests run (the simulator itself, the program,
// Xvfb), with its output kept line by line.
class ChildProcess
{
public:
    explicit ChildProcess(
        const QString &program, const QStringList &arguments,
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Waits for an output line containing `text`, from the start of the run.
    bool waitForLine(const QString &text, int timeoutMs = 10000);
    QString output();
    QString errors();

    void sendSignal(int number);
    // Waits for the end, then the exit code; -1 when it did not end in time.
    int waitForExit(int timeoutMs = 10000);
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    qint64 processId() const { return m_process.processId(); }

private:
    void collect();

    QProcess m_process;
    QString m_output;
    QString m_errors;
};

// An end of a pseudo-terminal line the test opens by its path, as a program
// opens its serial port.
class LineEnd
{
public:
    explicit LineEnd(const QString &path);
    ~LineEnd();
    LineEnd(const LineEnd &) = delete;
    LineEnd &operator=(const LineEnd &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    void write(const QByteArray &bytes);
    // Reads until `expected` bytes arrived or the time is up.
    QByteArray read(qsizetype expected, int timeoutMs = 3000);

private:
    int m_fd = -1;
};

} // namespace zentrel::test
