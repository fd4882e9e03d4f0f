#include "showctl/vekfunc.h"

namespace zentrel {

QByteArray CalcChecksum(const QByteArray &text)
{
    quint32 sum = 0;
    for (const char byte : text)
        sum += quint8(byte);
    return QByteArray(1, char(sum & 0xFF));
}

} // namespace zentrel
