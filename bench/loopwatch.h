#pragma once

#include <QObject>

#include <atomic>
#include <thread>

namespace zentrel::bench {

// Measures how long the event loop of the thread that made it leaves an
// event waiting: a second thread posts a stamped call every 2 ms, and the
// loop notes how late each one ran. On a shared machine part of a wait is
// the thread standing ready while other programs have every core; the
// system counts that time, and the watch keeps the longest wait less it
// too. On a virtual machine the host may also stop the core the thread is
// on: the thread then neither runs, nor stands ready, nor sleeps by its own
// choice, and the watch leaves that time out as well. What remains is the
// part that is the program's own doing.
class LoopWatch
{
public:
    LoopWatch();
    ~LoopWatch();

    // Longest wait of any posted call so far, in milliseconds.
    double longestStallMs() const { return m_longestNs / 1e6; }
    double longestOwnStallMs() const { return m_longestOwnNs / 1e6; }
    double cpuSeconds() const { return m_cpu; }
    void stop();

private:
    QObject m_receiver;
    std::thread m_thread;
    std::atomic<bool> m_stop = false;
    std::atomic<qint64> m_longestNs = 0;
    std::atomic<qint64> m_longestOwnNs = 0;
    struct Scheduled
    {
        qint64 running = 0;
        qint64 queued = 0;
        qint64 slept = 0;
        bool known = false;
    };
    // The watched thread's times on a core and waiting for one, and how
    // often it chose to sleep.
    int m_schedstat = -1;
    int m_status = -1;
    Scheduled scheduled() const;
    std::atomic<double> m_cpu = 0;
};

} // namespace zentrel::bench
