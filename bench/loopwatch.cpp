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
                    const qint64 queued = after.queued - before.queued;
                    // Time neither on a core nor ready for one, without a
                    // sleep of its own, is time the host took the core.
                    const qint64 stolen = after.slept != before.slept
                                              ? 0
                                              : waited - queued - (after.running - before.running);
                    m_longestNs = std::max<qint64>(m_longestNs, waited);
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
    Scheduled times;
    char text[2048];
    auto size = m_schedstat < 0 ? -1 : ::pread(m_schedstat, text, sizeof text - 1, 0);
    if (size > 0) {
        text[size] = '\0';
        const QList<QByteArray> fields = QByteArray(text).simplified().split(' ');
        if (fields.size() >= 2)
            times = {fields[0].toLongLong(), fields[1].toLongLong(), 0};
    }
    // Unknown counts as a sleep: nothing is then taken for the host's.
    times.slept = -1;
    size = m_status < 0 ? -1 : ::pread(m_status, text, sizeof text - 1, 0);
    if (size > 0) {
        const QByteArray status(text, size);
        const QByteArray key = "\nvoluntary_ctxt_switches:";
        if (const auto at = status.indexOf(key); at >= 0) {
            const auto end = status.indexOf('\n', at + key.size());
            times.slept = status.mid(at + key.size(), end - at - key.size()).trimmed().toLongLong();
        }
    }
    return times;
}

void LoopWatch::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace zentrel::bench
