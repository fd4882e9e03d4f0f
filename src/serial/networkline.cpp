#include "serial/networkline.h"

#include "serial/com.h"
#include "serial/networkprobe.h"

#include <QSocketNotifier>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace zentrel {

namespace {

// A dead server or a pulled cable shows within about ten seconds, traffic
// or not: probes after 2 s of silence, every 2 s, three unanswered ones end
// the connection, and so does data left unacknowledged for 8 s.
constexpr int kKeepIdleSeconds = 2;
constexpr int kKeepIntervalSeconds = 2;
constexpr int kKeepProbes = 3;
constexpr unsigned kUnacknowledgedMs = 8000;

// The server's own words, as the operator may read them.
QString wordsOf(const QByteArray &bytes)
{
    QByteArray printable;
    for (const char c : bytes)
        printable.append(c >= 0x20 && c < 0x7f ? c : ' ');
    return QString::fromLatin1(printable.simplified().left(200));
}

} // namespace

NetworkLine::NetworkLine(int portNumber, QObject *parent)
    : Line(parent), m_portNumber(portNumber), m_socket(this)
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &NetworkLine::onDeadline);
    connect(&m_socket, &QTcpSocket::connected, this, &NetworkLine::onConnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &NetworkLine::onReadable);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &NetworkLine::onError);
}

bool NetworkLine::begin()
{
    const auto server = com::networkPin(m_portNumber);
    if (!server || !server->valid()) {
        m_refusal = server ? com::invalidPin(m_portNumber, *server) : com::Refusal{};
        if (!server)
            m_refusal.reason = com::Refusal::Reason::Missing;
        return false;
    }
    m_server = *server;
    m_usesTelnet = m_server.protocol == com::NetworkPin::Protocol::Rfc2217;
    m_received.clear();
    m_stage = Stage::Connecting;
    m_lastAttempt.start();
    m_deadline.start(com::kConnectTimeoutMs);
    m_socket.abort();
    m_socket.connectToHost(m_server.host, m_server.port);
    return true;
}

bool NetworkLine::open()
{
    if (m_stage == Stage::Open) {
        m_refusal = {};
        return true;
    }
    // The operator's open takes over from an attempt of the background.
    close();
    if (!begin())
        return false;
    m_waitedFor = true;
    if (m_stage == Stage::Connecting && !m_socket.waitForConnected(com::kConnectTimeoutMs) &&
        m_stage == Stage::Connecting) {
        const auto error = m_socket.state() == QAbstractSocket::UnconnectedState
                               ? m_socket.error()
                               : QAbstractSocket::SocketTimeoutError;
        refuse(com::connectionRefusal(m_portNumber, m_server, error, m_socket.errorString()));
    }
    while (m_stage == Stage::Settling) {
        if (m_settleBy.hasExpired()) {
            settle();
        } else if (!m_socket.waitForReadyRead(
                       int(std::max<qint64>(m_settleBy.remainingTime(), 1))) &&
                   m_stage == Stage::Settling &&
                   m_socket.state() != QAbstractSocket::ConnectedState) {
            onError(QAbstractSocket::RemoteHostClosedError);
        }
    }
    m_waitedFor = false;
    return m_stage == Stage::Open;
}

void NetworkLine::close()
{
    m_deadline.stop();
    m_stage = Stage::Closed;
    m_socket.abort();
    m_received.clear();
    m_away.invalidate();
}

void NetworkLine::onConnected()
{
    if (m_stage != Stage::Connecting)
        return;
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    const int fd = int(m_socket.socketDescriptor());
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepIdleSeconds, sizeof kKeepIdleSeconds);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepIntervalSeconds,
                 sizeof kKeepIntervalSeconds);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &kKeepProbes, sizeof kKeepProbes);
    ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &kUnacknowledgedMs, sizeof kUnacknowledgedMs);
    m_stage = Stage::Settling;
    m_settleBy = QDeadlineTimer(kSettleMs);
    m_deadline.start(kSettleMs);
    if (m_usesTelnet)
        m_socket.write(m_telnet.start());
}

void NetworkLine::take()
{
    QByteArray bytes = m_socket.readAll();
    if (bytes.isEmpty())
        return;
    if (m_usesTelnet) {
        QByteArray reply;
        bytes = m_telnet.decode(bytes, reply);
        if (!reply.isEmpty() && m_socket.state() == QAbstractSocket::ConnectedState)
            m_socket.write(reply);
    }
    // Most reads find nothing left from the one before: no copy then.
    if (m_received.isEmpty())
        m_received = std::move(bytes);
    else
        m_received += bytes;
}

void NetworkLine::onReadable()
{
    if (m_stage != Stage::Settling && m_stage != Stage::Open)
        return;
    take();
    if (m_stage == Stage::Settling && m_usesTelnet && m_telnet.settled())
        settle();
    else if (m_stage == Stage::Open && !m_received.isEmpty())
        Q_EMIT readyRead();
}

void NetworkLine::onDeadline()
{
    if (m_stage == Stage::Connecting) {
        refuse(com::serverRefusal(com::Refusal::Reason::TimedOut, m_portNumber, m_server));
    } else if (m_stage == Stage::Settling) {
        // A request the server never acknowledges stops nothing.
        settle();
    } else if (m_stage == Stage::Open && !m_received.isEmpty()) {
        Q_EMIT readyRead();
    }
}

void NetworkLine::settle()
{
    m_deadline.stop();
    m_stage = Stage::Open;
    m_refusal = {};
    m_away.invalidate();
    // What came with the server's say is read once the link knows the line is open.
    if (!m_received.isEmpty())
        m_deadline.start(0);
    if (!m_waitedFor)
        Q_EMIT reopened();
}

void NetworkLine::onError(QAbstractSocket::SocketError error)
{
    // A wait of ours that ran out; the deadlines are judged apart.
    if (error == QAbstractSocket::SocketTimeoutError)
        return;
    switch (m_stage) {
    case Stage::Connecting:
        refuse(com::connectionRefusal(m_portNumber, m_server, error, m_socket.errorString()));
        break;
    case Stage::Settling:
        // Accepted and closed again at once: ser2net says "Port already in
        // use" that way.
        take();
        refuse(com::serverRefusal(com::Refusal::Reason::InUse, m_portNumber, m_server,
                                  wordsOf(m_received)));
        break;
    case Stage::Open:
        fail(error == QAbstractSocket::RemoteHostClosedError
                 ? QStringLiteral("the server closed it")
                 : QStringLiteral("no answer from the server"));
        break;
    case Stage::Closed:
        break;
    }
}

void NetworkLine::refuse(const com::Refusal &refusal)
{
    m_deadline.stop();
    m_stage = Stage::Closed;
    m_refusal = refusal;
    m_received.clear();
    if (m_socket.state() != QAbstractSocket::UnconnectedState)
        m_socket.abort();
}

void NetworkLine::fail(const QString &how)
{
    // Keep whatever arrived before the end.
    take();
    if (!m_received.isEmpty())
        Q_EMIT readyRead();
    m_deadline.stop();
    m_stage = Stage::Closed;
    m_received.clear();
    m_socket.abort();
    m_refusal = com::serverRefusal(com::Refusal::Reason::Dropped, m_portNumber, m_server, how);
    m_away.start();
    m_lastAttempt.start();
    Q_EMIT failed();
}

bool NetworkLine::reopen()
{
    if (m_stage == Stage::Open)
        return true;
    if (m_stage != Stage::Closed)
        return false;
    const int gap =
        m_away.isValid() && m_away.hasExpired(kBackOffAfterMs) ? kSlowAttemptGapMs : kAttemptGapMs;
    if (m_lastAttempt.isValid() && !m_lastAttempt.hasExpired(gap))
        return false;
    if (!m_away.isValid())
        m_away.start();
    begin();
    return false;
}

bool NetworkLine::write(QByteArrayView bytes)
{
    if (m_stage != Stage::Open)
        return false;
    const QByteArray wire = m_usesTelnet ? m_telnet.encode(bytes) : bytes.toByteArray();
    if (m_socket.write(wire) != wire.size())
        return false;
    // Hand the bytes to the system now rather than at the next event loop pass.
    m_socket.flush();
    return m_stage == Stage::Open;
}

qint64 NetworkLine::unsent() const
{
    if (m_stage != Stage::Open)
        return 0;
    int queued = 0;
    if (::ioctl(int(m_socket.socketDescriptor()), TIOCOUTQ, &queued) != 0)
        queued = 0;
    return m_socket.bytesToWrite() + queued;
}

QByteArray NetworkLine::readAll()
{
    return std::exchange(m_received, QByteArray());
}

QSocketNotifier *NetworkLine::readNotifier() const
{
    for (auto *notifier : m_socket.findChildren<QSocketNotifier *>()) {
        if (notifier->type() == QSocketNotifier::Read &&
            notifier->socket() == m_socket.socketDescriptor())
            return notifier;
    }
    return nullptr;
}

void NetworkLine::setReading(bool reading)
{
    if (m_stage != Stage::Open)
        return;
    if (auto *notifier = readNotifier())
        notifier->setEnabled(reading);
}

} // namespace zentrel
