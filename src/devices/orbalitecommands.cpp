#include "devices/orbalitecommands.h"

#include "devices/asciicommand.h"
#include "tools/customnotation.h"

namespace zentrel::orbalite {

CommandResult listFiles()
{
    return ascii::terminated("?D");
}

CommandResult totalStorage()
{
    return ascii::terminated("?R");
}

CommandResult formatDrive()
{
    return ascii::terminated("FO");
}

CommandResult audio(const QString &command)
{
    return ascii::chosen(command,
                         {{"Mute", "0AD"},
                          {"Unmute", "1AD"},
                          {"Volume-2", "2AD"},
                          {"Volume-3", "3AD"},
                          {"Volume-4", "4AD"},
                          {"Volume-5", "5AD"},
                          {"Volume-6", "6AD"},
                          {"Volume-7", "7AD"},
                          {"Volume-8", "8AD"},
                          {"Volume-9", "9AD"}},
                         QStringLiteral("Select audio command!"));
}

CommandResult rename(const QString &from, const QString &fromExtension, const QString &to,
                     const QString &toExtension)
{
    if (from.isEmpty() || fromExtension.isEmpty())
        return CommandResult::refuse(QStringLiteral("From file name incomplete!"));
    if (to.isEmpty() || toExtension.isEmpty())
        return CommandResult::refuse(QStringLiteral("To file name incomplete!"));
    const QString names = from + fromExtension + to + toExtension;
    // The line carries bytes; a character with no byte of its own is refused
    // rather than silently changed.
    for (const QChar c : names) {
        if (c.unicode() > 0xFF)
            return CommandResult::refuse(kInvalidCharacter);
    }
    return ascii::terminated(names.toLatin1() + "RN");
}

} // namespace zentrel::orbalite
