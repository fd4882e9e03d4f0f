#include "serial/networkpin.h"

#include <arpa/inet.h>

namespace zentrel::com {

namespace {

NetworkPin invalid(QString problem)
{
    NetworkPin pin;
    pin.problem = std::move(problem);
    return pin;
}

bool hostNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_';
}

} // namespace

NetworkPin parseNetworkPin(QByteArrayView content)
{
    if (content.isEmpty())
        return invalid(QStringLiteral("the file is empty"));
    if (content.size() > kMaxNetworkPinSize)
        return invalid(QStringLiteral("the file is larger than 1 KiB"));
    const qsizetype newline = content.indexOf('\n');
    QByteArrayView line = newline < 0 ? content : content.first(newline);
    if (line.endsWith('\r'))
        line.chop(1);
    while (line.endsWith(' '))
        line.chop(1);
    if (line.isEmpty())
        return invalid(QStringLiteral("the first line is empty"));
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7e)
            return invalid(QStringLiteral("the first line holds the byte <%1>, which is not "
                                          "printable ASCII")
                               .arg(QString::number(byte, 16).toUpper().rightJustified(2, u'0')));
    }
    const QString url = QString::fromLatin1(line);

    NetworkPin pin;
    pin.url = url;
    const qsizetype schemeEnd = line.indexOf("://");
    const QByteArray scheme = line.first(std::max<qsizetype>(schemeEnd, 0)).toByteArray().toLower();
    if (schemeEnd > 0 && scheme == "rfc2217")
        pin.protocol = NetworkPin::Protocol::Rfc2217;
    else if (schemeEnd > 0 && scheme == "socket")
        pin.protocol = NetworkPin::Protocol::Raw;
    else
        return invalid(
            QStringLiteral("\"%1\" is not rfc2217://HOST:PORT or socket://HOST:PORT").arg(url));
    QByteArrayView rest = line.sliced(schemeEnd + 3);

    QByteArrayView host;
    QByteArrayView port;
    if (rest.startsWith('[')) {
        const qsizetype close = rest.indexOf(']');
        if (close < 0)
            return invalid(
                QStringLiteral("the IPv6 address in \"%1\" has no closing bracket").arg(url));
        host = rest.sliced(1, close - 1);
        const QByteArray address = host.toByteArray();
        in6_addr parsed = {};
        if (::inet_pton(AF_INET6, address.constData(), &parsed) != 1)
            return invalid(
                QStringLiteral("\"%1\" is not an IPv6 address").arg(QString::fromLatin1(address)));
        rest = rest.sliced(close + 1);
        if (!rest.startsWith(':'))
            return invalid(QStringLiteral("no port after the host in \"%1\"").arg(url));
        port = rest.sliced(1);
    } else {
        const qsizetype colon = rest.indexOf(':');
        if (colon < 0)
            return invalid(QStringLiteral("no port after the host in \"%1\"").arg(url));
        host = rest.first(colon);
        port = rest.sliced(colon + 1);
        if (port.contains(':'))
            return invalid(QStringLiteral("an IPv6 address goes in brackets, as in "
                                          "rfc2217://[::1]:4001, not \"%1\"")
                               .arg(url));
        for (const char c : host) {
            if (!hostNameCharacter(c))
                return invalid(QStringLiteral("\"%1\" is not a host name")
                                   .arg(QString::fromLatin1(host.toByteArray())));
        }
    }
    if (host.isEmpty())
        return invalid(QStringLiteral("no host in \"%1\"").arg(url));
    if (port.isEmpty())
        return invalid(QStringLiteral("no port after the host in \"%1\"").arg(url));
    qint64 number = 0;
    for (const char c : port) {
        if (c < '0' || c > '9')
            return invalid(QStringLiteral("\"%1\" is not a port number")
                               .arg(QString::fromLatin1(port.toByteArray())));
        number = std::min<qint64>(number * 10 + (c - '0'), 1'000'000);
    }
    if (number < 1 || number > 65535)
        return invalid(QStringLiteral("port %1 is out of range (1 to 65535)")
                           .arg(QString::fromLatin1(port.toByteArray())));
    pin.host = QString::fromLatin1(host.toByteArray());
    pin.port = quint16(number);
    return pin;
}

} // namespace zentrel::com
