#include "devices/asciicommand.h"

#include "devices/validation.h"

namespace zentrel::ascii {

namespace {

constexpr char kCarriageReturn = '\r';

} // namespace

CommandResult terminated(QByteArray text)
{
    text.append(kCarriageReturn);
    return CommandResult::send(std::move(text));
}

CommandResult chosen(const QString &text, std::initializer_list<ItemCode> items,
                     const QString &nothingChosen)
{
    for (const auto &row : items) {
        if (text == QLatin1StringView(row.item))
            return terminated(row.code);
    }
    return CommandResult::refuse(nothingChosen);
}

CommandResult play()
{
    return terminated("PL");
}

CommandResult pause()
{
    return terminated("PA");
}

CommandResult still()
{
    return terminated("ST");
}

CommandResult stop()
{
    return terminated("RJ");
}

CommandResult loopPlay()
{
    return terminated("LP");
}

CommandResult versionRequest()
{
    return terminated("?V");
}

CommandResult softReboot()
{
    return terminated("XX");
}

CommandResult search(const QString &file)
{
    if (file.isEmpty())
        return CommandResult::refuse(QStringLiteral("Select file to search!"));
    // The field admits digits only; anything else got in some other way and
    // would reach the machine as a different command.
    if (!validation::plainDigits(file))
        return CommandResult::refuse(QStringLiteral("Invalid file number!"));
    return terminated(file.toLatin1() + "SE");
}

CommandResult mute(const QString &medium)
{
    return chosen(medium, {{"Video", "0VD"}, {"Audio", "0AD"}},
                  QStringLiteral("Select media to mute!"));
}

CommandResult unmute(const QString &medium)
{
    return chosen(medium, {{"Video", "1VD"}, {"Audio", "1AD"}},
                  QStringLiteral("Select media to unmute!"));
}

} // namespace zentrel::ascii
