#include "wendlodevice.h"

namespace zentrel::sim {

namespace {

bool isChannel(char c)
{
    return (c >= '1' && c <= '8') || c == '*';
}

QString channelText(char c)
{
    return c == '*' ? QStringLiteral("all channels") : QStringLiteral("channel %1").arg(c);
}

} // namespace

bool WendloDevice::isSoundFile(QByteArrayView number)
{
    if (!isDigits(number, 1, 4))
        return false;
    const int n = number.toByteArray().toInt();
    return (n >= 1 && n <= 511) || (n >= 1001 && n <= 1511);
}

AsciiDevice::Answer WendloDevice::respond(const QByteArray &argument, const QByteArray &code)
{
    const QString codeText = QString::fromLatin1(code);
    if (code == "KL") {
        if (argument != "0" && argument != "1")
            return refuse(QStringLiteral("KL needs 0 or 1"));
        return done(argument == "0" ? QStringLiteral("KL lock the keys")
                                    : QStringLiteral("KL unlock the keys"));
    }
    if (code == "?V") {
        if (!argument.isEmpty())
            return unknown(argument + code);
        return value(QStringLiteral("?V firmware version request"), "8WENDLO SIM 1.0");
    }
    const bool knownCode =
        code == "SE" || code == "PL" || code == "LP" || code == "RJ" || code == "AD";
    if (!knownCode)
        return unknown(argument + code);
    if (argument.isEmpty() || !isChannel(argument.back()))
        return refuse(QStringLiteral("%1 needs a channel 1 to 8 or *").arg(codeText));
    const QString channel = channelText(argument.back());
    const QByteArray before = argument.chopped(1);

    if (code == "RJ") {
        if (!before.isEmpty())
            return refuse(QStringLiteral("RJ takes only a channel"));
        return done(QStringLiteral("RJ reset %1").arg(channel));
    }
    if (code == "AD") {
        if (before != "0" && before != "1")
            return refuse(QStringLiteral("AD needs 0 or 1 before the channel"));
        return done(QStringLiteral("AD %1 %2").arg(before == "0" ? "mute" : "unmute", channel));
    }
    // SE insists on a file; PL and LP play what the channel holds without one.
    if (before.isEmpty() && code != "SE")
        return done(
            QStringLiteral("%1 %2 %3").arg(codeText, code == "PL" ? "play" : "loop play", channel));
    if (!isSoundFile(before))
        return refuse(QStringLiteral("%1 needs a file 1 to 511 or 1001 to 1511").arg(codeText));
    const QString file = QString::fromLatin1(before);
    if (code == "SE")
        return done(QStringLiteral("SE assign file %1 to %2").arg(file, channel));
    return done(QStringLiteral("%1 %2 file %3 on %4")
                    .arg(codeText, code == "PL" ? "play" : "loop play", file, channel));
}

} // namespace zentrel::sim
