#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>

namespace zentrel {

// The client's side of a Telnet connection that carries a serial line with
// the COM-port control option (RFC 2217), apart from any socket: bytes from
// the server go in, split anywhere, and out come the line's bytes and what
// the client owes the server in return; the line's bytes going the other way
// are framed for the wire. It asks for binary transmission and
// suppress-go-ahead both ways and for the COM-port option; once the server
// agrees to that, it sets the line as a local port opens: 9600 baud, 8 data
// bits, no parity, 1 stop bit, no flow control, DTR and RTS on. Options it
// does not know are refused, and nothing but line data ever comes out as
// data, whatever the server sends.
class TelnetCodec
{
public:
    // Starts afresh: the client's requests, to send as the connection opens.
    QByteArray start();

    // The line's bytes among `bytes` from the server; what the client owes
    // the server (answers, the line settings) is appended to `reply`.
    QByteArray decode(QByteArrayView bytes, QByteArray &reply);

    // The line's bytes as they go on the wire: 255 doubled, and CR sent as
    // CR NUL until the server agrees to binary transmission from the client.
    QByteArray encode(QByteArrayView bytes) const;

    // Every option asked for is answered and every line setting
    // acknowledged.
    bool settled() const;
    bool binaryToServer() const { return m_us[kBinary] == Side::Yes; }
    bool binaryFromServer() const { return m_him[kBinary] == Side::Yes; }
    bool comPortAgreed() const { return m_us[kComPort] == Side::Yes; }

    // A sub-negotiation longer than this is dropped, not kept.
    static constexpr qsizetype kMaxSubnegotiation = 256;

    static constexpr quint8 kBinary = 0;
    static constexpr quint8 kSuppressGoAhead = 3;
    static constexpr quint8 kComPort = 44;

private:
    enum class Side : quint8 { No, Asked, Yes };
    enum class State : quint8 { Data, Command, Option, Sub, SubCommand };

    void data(QByteArrayView bytes, QByteArray &out);
    void negotiate(quint8 verb, quint8 option, QByteArray &reply);
    void subnegotiation();
    void requestSettings(QByteArray &reply);
    void keep(char byte);

    State m_state = State::Data;
    quint8 m_verb = 0;
    QByteArray m_sub;
    bool m_subDropped = false;
    bool m_afterCr = false;
    // Per option: whether the client does it (us) and the server does (him).
    std::array<Side, 256> m_us{};
    std::array<Side, 256> m_him{};
    // Line settings sent and not yet acknowledged, by COM-port command.
    std::array<quint8, 13> m_awaited{};
};

} // namespace zentrel
