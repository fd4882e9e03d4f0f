#pragma once

#include "pseudoterminal.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <thread>

namespace zentrel::bench {

// The device at the far end of a pseudo-terminal, played by a thread of its
// own so it keeps its pace whatever the program's event loop is doing. The
// program opens slavePath() through a ports/ link.
class FarEnd
{
public:
    FarEnd();
    ~FarEnd();
    FarEnd(const FarEnd &) = delete;
    FarEnd &operator=(const FarEnd &) = delete;

    QString slavePath() const { return m_pty.slavePath(); }

    // Writes all of data, `times` over, as fast as the line takes it.
    void flood(QByteArray data, int times = 1);
    // Writes data at bytesPerSecond, a byte or two at a time, as a UART would.
    void trickle(QByteArray data, int bytesPerSecond);
    // Reads what the program sends, at most bytesPerSecond (0: as fast as it
    // can), sending each byte straight back when echo is set.
    void read(int bytesPerSecond, bool echo);
    // Ends the current activity and waits for the thread.
    void stop();
    // Waits until the current activity ends by itself (flood, trickle).
    void join();
    // The device disappears: the master side closes, as when a cable is pulled.
    void unplug();

    qint64 bytesWritten() const { return m_written; }
    qint64 bytesRead() const { return m_read; }
    // Largest number of bytes the program had written but this end had not
    // yet taken, looked at after each of its reads.
    qint64 largestUnread() const { return m_largestUnread; }
    // Bytes written to the line that the program has not read yet.
    int waitingForProgram() const { return m_pty.waitingForProgram(); }
    // Longest time one write waited for room on the line in the current or
    // last activity, from the write the line refused to the next it took:
    // while the line is full, only the program's reading makes room.
    double longestWriteWaitMs() const { return double(m_longestWaitNs) / 1e6; }
    // CPU seconds the far end's thread used in its last activity.
    double cpuSeconds() const { return m_cpu; }

private:
    template <typename Work> void start(Work work);
    bool writeAll(const char *data, qsizetype size);
    int unread() const;

    test::PseudoTerminal m_pty;
    int m_master = -1;
    std::thread m_thread;
    std::atomic<bool> m_stop = false;
    std::atomic<qint64> m_written = 0;
    std::atomic<qint64> m_read = 0;
    std::atomic<qint64> m_largestUnread = 0;
    std::atomic<qint64> m_longestWaitNs = 0;
    std::atomic<double> m_cpu = 0;
};

} // namespace zentrel::bench
