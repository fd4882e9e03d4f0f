#include "tools/customnotation.h"

namespace zentrel {

namespace {

int hexValue(QChar c)
{
    const auto u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

} // namespace

CommandResult ConvertCustom(const QString &CustomStr)
{
    QByteArray out;
    const auto size = CustomStr.size();
    qsizetype i = 0;
    while (i < size) {
        const QChar c = CustomStr.at(i);
        if (c == u'"') {
            const auto close = CustomStr.indexOf(u'"', i + 1);
            if (close < 0)
                return CommandResult::refuse(kInvalidStringFormat);
            for (auto j = i + 1; j < close; ++j) {
                const auto u = CustomStr.at(j).unicode();
                // The line carries bytes; a character with no byte of its own
                // is refused rather than silently changed.
                if (u > 0xFF)
                    return CommandResult::refuse(kInvalidCharacter);
                out.append(char(u));
            }
            i = close + 1;
        } else if (c == u'h') {
            const int high = i + 1 < size ? hexValue(CustomStr.at(i + 1)) : -1;
            const int low = i + 2 < size ? hexValue(CustomStr.at(i + 2)) : -1;
            if (high < 0 || low < 0)
                return CommandResult::refuse(kInvalidHexValue);
            out.append(char(high * 16 + low));
            i += 3;
        } else {
            ++i;
        }
    }
    return CommandResult::send(out);
}

} // namespace zentrel
