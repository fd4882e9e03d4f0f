#include "bytetext.h"

#include <QStringList>

namespace zentrel::sim {

QString visible(QByteArrayView bytes)
{
    QString text;
    for (const char c : bytes) {
        const auto byte = uchar(c);
        if (byte >= 0x20 && byte < 0x7F)
            text.append(QLatin1Char(c));
        else
            text.append(QStringLiteral("<%1>").arg(byte, 2, 16, QLatin1Char('0')).toUpper());
    }
    return text;
}

QString hexBytes(QByteArrayView bytes)
{
    QStringList parts;
    for (const char c : bytes)
        parts.append(QStringLiteral("%1").arg(uchar(c), 2, 16, QLatin1Char('0')).toUpper());
    return parts.join(u' ');
}

} // namespace zentrel::sim
