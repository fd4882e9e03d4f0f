#include "loopwatch.h"

#include "report.h"

#include <QElapsedTimer>

#include <algorithm>
#include <chrono>

namespace zentrel::bench {

LoopWatch::LoopWatch()
{
    QElapsedTimer clock;
    clock.start();
    m_thread = std::thread([this, clock] {
        const double before = threadCpuSeconds();
        while (!m_stop) {
            const qint64 posted = clock.nsecsElapsed();
            QMetaObject::invokeMethod(
                &m_receiver,
                [this, clock, posted] {
                    const qint64 waited = clock.nsecsElapsed() - posted;
                    m_longestNs = std::max<qint64>(m_longestNs, waited);
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
}

void LoopWatch::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace zentrel::bench
