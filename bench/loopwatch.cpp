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
    const QByteArray schedstat = "/proc/self/task/" + QByteArray::number(::gettid()) + "/schedstat";
    m_schedstat = ::open(schedstat.constData(), O_RDONLY | O_CLOEXEC);
    QElapsedTimer clock;
    clock.start();
    m_thread = std::thread([this, clock] {
        const double before = threadCpuSeconds();
        while (!m_stop) {
            const qint64 posted = clock.nsecsElapsed();
            const qint64 queued = queuedNs();
            QMetaObject::invokeMethod(
                &m_receiver,
                [this, clock, posted, queued] {
                    const qint64 waited = clock.nsecsElapsed() - posted;
                    m_longestNs = std::max<qint64>(m_longestNs, waited);
                    m_longestOwnNs =
                        std::max<qint64>(m_longestOwnNs, waited - (queuedNs() - queued));
                },
                Qt::QueuedConnection);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        m_cpu = threadCpuSeconds() - before;
    });
}

LoopWatch::~LoopWatch()
{
    stop();
    if (m_schedstat >= 0)
        ::close(m_schedstat);
}

qint64 LoopWatch::queuedNs() const
{
    // Time on a core, time ready for one, slices run.
    char text[128];
    const auto size = m_schedstat < 0 ? -1 : ::pread(m_schedstat, text, sizeof text - 1, 0);
    if (size <= 0)
        return 0;
    text[size] = '\0';
    const QList<QByteArray> fields = QByteArray(text).simplified().split(' ');
    return fields.size() >= 2 ? fields[1].toLongLong() : 0;
}

void LoopWatch::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace zentrel::bench
