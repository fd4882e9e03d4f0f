#include "simulator.h"

#include "ptyport.h"

namespace zentrel::sim {

namespace {
// At 9600 baud a byte takes about a millisecond; a request whose bytes stop
// for this long is over.
constexpr int kQuietLineMs = 200;
constexpr int kWatchIntervalMs = 10;
constexpr int kUnreadLimitMs = 3000;
} // namespace

Simulator::Simulator(std::unique_ptr<SimDevice> device, PtyPort &port, QObject *parent)
    : QObject(parent), m_device(std::move(device)), m_port(port)
{
    m_idle.setSingleShot(true);
    m_idle.setInterval(kQuietLineMs);
    m_watch.setInterval(kWatchIntervalMs);
    connect(&m_port, &PtyPort::received, this, &Simulator::onReceived);
    connect(&m_idle, &QTimer::timeout, this, &Simulator::onLineIdle);
    connect(&m_watch, &QTimer::timeout, this, &Simulator::watchReply);
}

Simulator::~Simulator() = default;

void Simulator::onReceived(const QByteArray &bytes)
{
    m_idle.start();
    answer(m_device->feed(bytes));
}

void Simulator::onLineIdle()
{
    answer(m_device->lineIdle());
}

void Simulator::answer(const QList<Exchange> &exchanges)
{
    for (const auto &exchange : exchanges) {
        Q_EMIT report(exchange.report);
        if (exchange.reply.isEmpty())
            continue;
        if (!m_port.write(exchange.reply)) {
            Q_EMIT report(QStringLiteral("  the line is full (the program is not reading); "
                                         "reply dropped"));
            continue;
        }
        if (!m_watch.isActive()) {
            m_unreadFor.start();
            m_watch.start();
        }
    }
}

void Simulator::watchReply()
{
    if (m_port.unreadByProgram() == 0) {
        m_watch.stop();
        Q_EMIT report(QStringLiteral("  the program has read the reply"));
        return;
    }
    if (m_unreadFor.elapsed() < kUnreadLimitMs)
        return;
    m_watch.stop();
    // Left waiting, the program would find it in its input the next time it
    // opened the port, long after the request.
    m_port.dropUnread();
    Q_EMIT report(QStringLiteral("  no program read the reply; dropped"));
}

} // namespace zentrel::sim
