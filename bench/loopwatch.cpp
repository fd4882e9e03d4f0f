#include "loopwatch.h"

#include "report.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <unistd.h>

namespace zentrel::bench {

LoopWatch::LoopWatch()
{
    const QByteArray task = "/proc/self/task/" + QByteArray::number(::gettid());
    m_schedstat = ::open(task + "/schedstat", O_RDONLY | O_CLOEXEC);
    m_status = ::open(task + "/status", O_RDONLY | O_CLOEXEC);
    QElapsedTimer clock;
    clock.start();
    m_thread = std::thread([this, clock] {
        const double cpuBefore = threadCpuSeconds();
        while (!m_stop) {
            const qint64 posted = clock.nsecsElapsed();
            const Scheduled before = scheduled();
            QMetaObject::invokeMethod(
                &m_receiver,
                [this, clock, posted, before] {
                    const qint64 waited = clock.nsecsElapsed() - posted;
                    const Scheduled after = scheduled();
                    m_longestNs = std::max<qint64>(m_longestNs, waited);
                    // What the system cannot tell stays the program's.
                    if (!before.known || !after.known) {
                        m_longestOwnNs = std::max<qint64>(m_longestOwnNs, waited);
                        return;
                    }
                    const qint64 queued = after.queued - before.queued;
                    // Time neither on a core nor ready for one, without a
                    // sleep of its own, is time the host took the core.
                    const qint64 stolen = after.slept != before.slept
                                              ? 0
                                              : waited - queued - (after.running - before.running);
                    m_longestOwnNs = std::max<qint64>(
                        m_longestOwnNs, waited - queued - std::max<qint64>(0, stolen));
                },
                Qt::QueuedConnection);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        m_cpu = threadCpuSeconds() - cpuBefore;
    });
}

LoopWatch::~LoopWatch()
{
    stop();
    if (m_schedstat >= 0)
        ::close(m_schedstat);
    if (m_status >= 0)
        ::close(m_status);
}

LoopWatch::Scheduled LoopWatch::scheduled() const
{
    const auto readAll = [](int fd) {
        char text[4096];
        const auto size = fd < 0 ? -1 : ::pread(fd, text, sizeof text, 0);
        return size > 0 ? QByteArray(text, size) : QByteArray();
    };
    // Time on a core, time ready for one, slices run.
    const QList<QByteArray> fields = readAll(m_schedstat).simplified().split(' ');
    const auto slept = statusNumber(readAll(m_status), "voluntary_ctxt_switches");
    if (fields.size() < 2 || !slept)
        return {};
    return {fields[0].toLongLong(), fields[1].toLongLong(), *slept, true};
}

void LoopWatch::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace zentrel::bench
