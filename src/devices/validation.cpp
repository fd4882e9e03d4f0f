#include "devices/validation.h"

#include <QList>

namespace zentrel {

namespace validation {

namespace {

constexpr char16_t kBackspace = 8;
constexpr char16_t kDot = u'.';

bool isDigit(char16_t code)
{
    return code >= u'0' && code <= u'9';
}

} // namespace

bool numberKey(char16_t code)
{
    return isDigit(code) || code == kBackspace;
}

bool addressKey(char16_t code)
{
    return numberKey(code) || code == kDot;
}

bool parameterKey(char16_t code, const QString &parameter)
{
    if (code == kDot && parameter == kUnitIdParameter)
        return false;
    return addressKey(code);
}

int parameterMaxLength(const QString &parameter)
{
    return parameter == kUnitIdParameter ? kNewUnitIdLength : kAddressLength;
}

bool plainDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!isDigit(c.unicode()))
            return false;
    }
    return true;
}

std::optional<int> plainNumber(QStringView text, int highest)
{
    if (!plainDigits(text))
        return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        value = value * 10 + (c.unicode() - u'0');
        // Stopping here keeps a thousand-digit text from overflowing.
        if (value > highest)
            return std::nullopt;
    }
    return value;
}

} // namespace validation

bool ValidIP(const QString &TmpIP)
{
    constexpr int kParts = 4;
    constexpr int kHighestPart = 255;
    const QList<QStringView> parts = QStringView(TmpIP).split(u'.');
    if (parts.size() != kParts)
        return false;
    int zeros = 0;
    for (const QStringView part : parts) {
        const auto value = validation::plainNumber(part, kHighestPart);
        if (!value)
            return false;
        if (*value == 0)
            ++zeros;
    }
    return zeros < kParts;
}

} // namespace zentrel
