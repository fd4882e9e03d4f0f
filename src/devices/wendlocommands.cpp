#include "devices/wendlocommands.h"

#include "devices/asciicommand.h"
#include "devices/validation.h"

namespace zentrel::wendlo {

namespace {

constexpr int kHighestFile = 1511;

constexpr QLatin1StringView kSelectChannel("Select channel!");
constexpr QLatin1StringView kInvalidFile("Invalid file number!");

bool validChannel(const QString &channel)
{
    if (channel.size() != 1)
        return false;
    const char16_t c = channel.at(0).unicode();
    return (c >= u'1' && c <= u'8') || c == u'*';
}

CommandResult playing(const QString &channel, const QString &file, const char *code)
{
    if (!validChannel(channel))
        return CommandResult::refuse(kSelectChannel);
    if (file.isEmpty())
        return ascii::terminated(channel.toLatin1() + code);
    if (!validFileNumber(file))
        return CommandResult::refuse(kInvalidFile);
    return ascii::terminated(file.toLatin1() + channel.toLatin1() + code);
}

} // namespace

bool validFileNumber(const QString &file)
{
    const auto value = validation::plainNumber(file, kHighestFile);
    return value && ((*value >= 1 && *value <= 511) || *value >= 1001);
}

CommandResult assignSound(const QString &channel, const QString &file)
{
    if (!validChannel(channel))
        return CommandResult::refuse(kSelectChannel);
    if (file.isEmpty())
        return CommandResult::refuse(QStringLiteral("Select file number!"));
    return playing(channel, file, "SE");
}

CommandResult play(const QString &channel, const QString &file)
{
    return playing(channel, file, "PL");
}

CommandResult loopPlay(const QString &channel, const QString &file)
{
    return playing(channel, file, "LP");
}

CommandResult resetChannel(const QString &channel)
{
    if (!validChannel(channel))
        return CommandResult::refuse(kSelectChannel);
    return ascii::terminated(channel.toLatin1() + "RJ");
}

CommandResult audio(const QString &channel, const QString &command)
{
    if (!validChannel(channel))
        return CommandResult::refuse(kSelectChannel);
    // The mute digit leads, then the channel.
    QByteArray digit;
    if (command == QLatin1StringView("Mute"))
        digit = "0";
    else if (command == QLatin1StringView("Unmute"))
        digit = "1";
    else
        return CommandResult::refuse(QStringLiteral("Select audio command!"));
    return ascii::terminated(digit + channel.toLatin1() + "AD");
}

CommandResult keylock(const QString &command)
{
    // Locking the keys is 0, freeing them 1.
    return ascii::chosen(command, {{"On", "0KL"}, {"Off", "1KL"}},
                         QStringLiteral("Select command!"));
}

} // namespace zentrel::wendlo
