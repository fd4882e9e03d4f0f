#pragma once

#include "serial/line.h"
#include "serial/networkpin.h"
#include "serial/telnetcodec.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTimer>

class QSocketNotifier;

namespace zentrel {

// A port of a serial device server, by the number a file in ports/ pins to
// it: a TCP connection, raw or with the Telnet COM-port control. It counts
// as open once the server has had its say: the negotiation settled (or a
// short wait over, for a server that never acknowledges some request), or,
// for a server that closes at once with a line saying the port is in use,
// refused with its words. An open connection that ends or stops answering
// (TCP keep-alive) fails like a pulled cable. Afterwards it connects again in
// the background, at most once a second, less often while the server stays
// away; it never listens.
class NetworkLine : public Line
{
    Q_OBJECT

public:
    explicit NetworkLine(int portNumber, QObject *parent = nullptr);

    // Connects and waits for the server's say: up to kConnectTimeoutMs, then
    // up to kSettleMs.
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_stage == Stage::Open; }
    bool write(QByteArrayView bytes) override;
    // What waits in the socket and in this computer's send queue.
    qint64 unsent() const override;
    QByteArray readAll() override;
    void setReading(bool reading) override;
    // Starts a connection in the background when one is due; it reports
    // through reopened.
    bool reopen() override;
    int lookIntervalMs() const override { return 250; }

    // The wait for a server's say after connecting, and the gaps between
    // attempts while it is away: one a second, one every few seconds after
    // kBackOffAfterMs.
    static constexpr int kSettleMs = 300;
    static constexpr int kAttemptGapMs = 1000;
    static constexpr int kBackOffAfterMs = 30'000;
    static constexpr int kSlowAttemptGapMs = 3000;

private:
    enum class Stage { Closed, Connecting, Settling, Open };

    bool begin();
    void onConnected();
    void onReadable();
    void onError(QAbstractSocket::SocketError error);
    void onDeadline();
    void take();
    void settle();
    void refuse(const com::Refusal &refusal);
    void fail(const QString &how);
    QSocketNotifier *readNotifier() const;

    int m_portNumber;
    com::NetworkPin m_server;
    QTcpSocket m_socket;
    TelnetCodec m_telnet;
    bool m_usesTelnet = false;
    Stage m_stage = Stage::Closed;
    QTimer m_deadline;
    QDeadlineTimer m_settleBy;
    // The line's bytes not read yet: those of the server's first say, then
    // those since the last read.
    QByteArray m_received;
    bool m_waitedFor = false; // open() is driving the connection
    QElapsedTimer m_away;
    QElapsedTimer m_lastAttempt;
};

} // namespace zentrel
