#pragma once

#include <QByteArrayView>
#include <QString>

// What a plain file ports/COM<n> pins its number to: a port of a serial
// device server, reached over TCP with the Telnet COM-port control
// (rfc2217://HOST:PORT) or raw, the bytes being the line's own
// (socket://HOST:PORT).
namespace zentrel::com {

struct NetworkPin
{
    enum class Protocol { Rfc2217, Raw };
    Protocol protocol = Protocol::Raw;
    // A name, an IPv4 address, or an IPv6 address without its brackets.
    QString host;
    quint16 port = 0;
    // The address as the file gives it, for the operator's messages.
    QString url;
    // Why the file pins nothing; empty when it names a server.
    QString problem;

    bool valid() const { return problem.isEmpty(); }
};

// Larger files are no pin of ours; reading stops one byte past this.
inline constexpr qsizetype kMaxNetworkPinSize = 1024;

// The first line of a pin file, trailing spaces and its line end aside,
// is the whole address; a second line is the operator's to use.
NetworkPin parseNetworkPin(QByteArrayView content);

} // namespace zentrel::com
