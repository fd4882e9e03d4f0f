#include "terminal/unitid.h"

namespace zentrel::unitid {

namespace {
bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}
} // namespace

bool keyAdmitted(char16_t code)
{
    return code <= 57 && (isDigit(code) || code == 8 || code == u'*');
}

bool outOfRange(const QString &text)
{
    int value = 0;
    for (const QChar c : text) {
        if (!isDigit(c.unicode()))
            break;
        value = value * 10 + (c.unicode() - u'0');
        if (value > kHighest)
            return true;
    }
    return false;
}

std::optional<QByteArray> address(QByteArray text, const Addressing &addressing)
{
    if (!addressing.allowed || !addressing.controlsEnabled || !addressing.ticked)
        return text;
    if (addressing.id.isEmpty())
        return std::nullopt;
    return text.prepend(addressing.id.toLatin1() + '@');
}

} // namespace zentrel::unitid
