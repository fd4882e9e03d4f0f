#include "asciidevice.h"

#include "bytetext.h"

#include <QRegularExpression>

namespace zentrel::sim {

namespace {
constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
// Longer than any command of the four families; a line this long is noise.
constexpr qsizetype kLongestLine = 256;

struct Transport
{
    const char *code;
    const char *meaning;
};

constexpr Transport kVideoTransport[] = {
    {"PL", "play"}, {"PA", "pause"}, {"ST", "still"}, {"RJ", "stop"}, {"LP", "loop play"},
};
} // namespace

AsciiDevice::AsciiDevice(QString family, int unitId) : m_family(std::move(family)), m_unitId(unitId)
{}

QString AsciiDevice::identity() const
{
    return QStringLiteral("%1, unit %2").arg(m_family).arg(m_unitId);
}

QList<Exchange> AsciiDevice::feed(QByteArrayView bytes)
{
    QList<Exchange> exchanges;
    for (const char c : bytes) {
        // Senders that end lines with CR LF leave a line feed in front of the
        // next request; it is no part of it.
        if (c == kLineFeed)
            continue;
        if (c == kCarriageReturn) {
            exchanges.append(takeLine(m_line));
            m_line.clear();
            continue;
        }
        m_line.append(c);
        if (m_line.size() >= kLongestLine) {
            exchanges.append({QStringLiteral("request %1...: line too long -> E<0D>")
                                  .arg(visible(m_line.left(32))),
                              QByteArray("E\r")});
            m_line.clear();
        }
    }
    return exchanges;
}

Exchange AsciiDevice::takeLine(const QByteArray &line)
{
    static const QRegularExpression prefixPattern(QStringLiteral("^([0-9*]{1,3})@"));
    const auto match = prefixPattern.match(QString::fromLatin1(line));
    const QByteArray prefix = match.hasMatch() ? match.captured(1).toLatin1() : QByteArray();
    const QByteArray command = match.hasMatch() ? line.mid(match.capturedLength()) : line;

    QString report = QStringLiteral("request %1: ").arg(visible(line + kCarriageReturn));
    if (!prefix.isEmpty())
        report += QStringLiteral("unit %1, ").arg(QString::fromLatin1(prefix));
    if (!addressedHere(prefix)) {
        report += QStringLiteral("not this device (unit %1) -> no reply").arg(m_unitId);
        return {report, {}};
    }

    Answer answer = command.size() < 2
                        ? refuse(command.isEmpty() ? QStringLiteral("empty command")
                                                   : QStringLiteral("unknown command"))
                        : respond(command.left(command.size() - 2), command.right(2));
    answer.reply.append(kCarriageReturn);
    report += QStringLiteral("%1 -> %2").arg(answer.meaning, visible(answer.reply));
    return {report, answer.reply};
}

bool AsciiDevice::addressedHere(const QByteArray &prefix) const
{
    if (prefix.isEmpty() || prefix == "*")
        return true;
    return isDigits(prefix, 1, 3) && prefix.toInt() == m_unitId;
}

AsciiDevice::Answer AsciiDevice::unknown(QByteArrayView code)
{
    return refuse(QStringLiteral("unknown command %1").arg(visible(code)));
}

bool AsciiDevice::isDigits(QByteArrayView text, int minLength, int maxLength)
{
    if (text.size() < minLength || text.size() > maxLength)
        return false;
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool AsciiDevice::isDottedQuad(QByteArrayView text)
{
    const auto parts = text.toByteArray().split('.');
    if (parts.size() != 4)
        return false;
    int sum = 0;
    for (const auto &part : parts) {
        if (!isDigits(part, 1, 3) || part.toInt() > 255)
            return false;
        sum += part.toInt();
    }
    return sum > 0;
}

const char *AsciiDevice::videoTransport(QByteArrayView code)
{
    for (const auto &transport : kVideoTransport) {
        if (code == transport.code)
            return transport.meaning;
    }
    return nullptr;
}

} // namespace zentrel::sim
