#include "farend.h"

#include "report.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace zentrel::bench {

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void sleepMicroseconds(int microseconds)
{
    std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
}

} // namespace

FarEnd::FarEnd()
{
    if (!m_pty.isValid())
        qFatal("openpty failed");
    m_master = m_pty.masterFd();
}

FarEnd::~FarEnd()
{
    stop();
}

template <typename Work> void FarEnd::start(Work work)
{
    stop();
    m_stop = false;
    m_longestWaitNs = 0;
    m_thread = std::thread([this, work] {
        const double before = threadCpuSeconds();
        work();
        m_cpu = threadCpuSeconds() - before;
    });
}

void FarEnd::stop()
{
    m_stop = true;
    join();
}

void FarEnd::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void FarEnd::unplug()
{
    m_pty.unplug();
    m_master = -1;
}

bool FarEnd::writeAll(const char *data, qsizetype size)
{
    qsizetype done = 0;
    std::optional<Clock::time_point> refused;
    while (done < size && !m_stop) {
        const auto n = ::write(m_master, data + done, size_t(size - done));
        if (n > 0) {
            done += n;
            m_written += n;
            if (refused) {
                const qint64 waited =
                    std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - *refused)
                        .count();
                m_longestWaitNs = std::max<qint64>(m_longestWaitNs, waited);
                refused.reset();
            }
            continue;
        }
        if (!refused)
            refused = Clock::now();
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd ready = {m_master, POLLOUT, 0};
        ::poll(&ready, 1, 10);
    }
    return done == size;
}

int FarEnd::unread() const
{
    int waiting = 0;
    ::ioctl(m_master, FIONREAD, &waiting);
    return waiting;
}

void FarEnd::flood(QByteArray data, int times)
{
    m_written = 0;
    start([this, data, times] {
        for (int k = 0; k < times; ++k)
            if (!writeAll(data.constData(), data.size()))
                return;
    });
}

void FarEnd::trickle(QByteArray data, int bytesPerSecond)
{
    m_written = 0;
    start([this, data, bytesPerSecond] {
        const auto begin = Clock::now();
        qsizetype done = 0;
        while (done < data.size() && !m_stop) {
            const auto due = std::min<qsizetype>(
                data.size(), qsizetype(secondsSince(begin) * bytesPerSecond) + 1);
            if (due > done && !writeAll(data.constData() + done, due - done))
                return;
            done = std::max(done, due);
            sleepMicroseconds(1'000'000 / bytesPerSecond);
        }
    });
}

void FarEnd::read(int bytesPerSecond, bool echo)
{
    m_read = 0;
    m_largestUnread = 0;
    start([this, bytesPerSecond, echo] {
        char buffer[65536];
        auto last = Clock::now();
        double budget = 0;
        while (!m_stop) {
            qsizetype want = sizeof buffer;
            if (bytesPerSecond > 0) {
                const auto now = Clock::now();
                budget += std::chrono::duration<double>(now - last).count() * bytesPerSecond;
                last = now;
                want = std::min<qsizetype>(want, qsizetype(budget));
            } else {
                pollfd ready = {m_master, POLLIN, 0};
                if (::poll(&ready, 1, 10) <= 0)
                    continue;
            }
            const auto n = want > 0 ? ::read(m_master, buffer, size_t(want)) : 0;
            if (n > 0) {
                m_read += n;
                budget -= double(n);
                if (echo && !writeAll(buffer, n))
                    return;
            }
            if (bytesPerSecond > 0) {
                // A line carries nothing while it idles: no saving up for later.
                if (n < want)
                    budget = std::min(budget, 1.0);
                m_largestUnread = std::max<qint64>(m_largestUnread, unread());
                sleepMicroseconds(1000);
            }
        }
    });
}

} // namespace zentrel::bench
