#include "serial/networkprobe.h"

#include "serial/pinreader.h"

#include <QDeadlineTimer>
#include <QTcpSocket>

#include <memory>
#include <vector>

namespace zentrel::com {

Refusal serverRefusal(Refusal::Reason reason, int n, const NetworkPin &server,
                      const QString &detail)
{
    Refusal refusal;
    refusal.reason = reason;
    refusal.port = n;
    refusal.device = server.url;
    refusal.detail = detail;
    return refusal;
}

Refusal invalidPin(int n, const NetworkPin &server)
{
    Refusal refusal = serverRefusal(Refusal::Reason::InvalidPin, n, server, server.problem);
    refusal.device = pinPath(n);
    return refusal;
}

Refusal connectionRefusal(int n, const NetworkPin &server, QAbstractSocket::SocketError error,
                          const QString &text)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return serverRefusal(Refusal::Reason::Refused, n, server);
    case QAbstractSocket::HostNotFoundError:
        return serverRefusal(Refusal::Reason::NameNotFound, n, server, server.host);
    case QAbstractSocket::SocketTimeoutError:
        return serverRefusal(Refusal::Reason::TimedOut, n, server);
    default:
        // Host or network unreachable, and whatever else keeps the
        // connection from being made, in the system's words.
        return serverRefusal(Refusal::Reason::NoRoute, n, server, text);
    }
}

QList<Refusal> probeServers(const QList<std::pair<int, NetworkPin>> &servers)
{
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    for (const auto &[n, server] : servers) {
        sockets.push_back(std::make_unique<QTcpSocket>());
        sockets.back()->connectToHost(server.host, server.port);
    }
    // The connections were all begun above: each wait below takes only what
    // is left of the one deadline.
    const QDeadlineTimer deadline(kConnectTimeoutMs);
    QList<Refusal> answers;
    for (size_t i = 0; i < sockets.size(); ++i) {
        auto &socket = *sockets[i];
        const auto &[n, server] = servers[qsizetype(i)];
        if (socket.state() != QAbstractSocket::ConnectedState &&
            socket.state() != QAbstractSocket::UnconnectedState)
            socket.waitForConnected(int(std::max<qint64>(deadline.remainingTime(), 1)));
        if (socket.state() == QAbstractSocket::ConnectedState) {
            Refusal accepted;
            accepted.port = n;
            accepted.device = server.url;
            answers.append(accepted);
        } else {
            // Still connecting when the time is up: no answer.
            const auto error = socket.state() == QAbstractSocket::UnconnectedState
                                   ? socket.error()
                                   : QAbstractSocket::SocketTimeoutError;
            answers.append(connectionRefusal(n, server, error, socket.errorString()));
        }
        socket.abort();
    }
    return answers;
}

} // namespace zentrel::com
