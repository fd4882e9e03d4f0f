#pragma once

#include "terminal/commandresult.h"

#include <QString>

// The Orbalite MP3 player's own commands; its transport, search, firmware
// version and soft reset are the shared ones in asciicommand.h.
namespace zentrel::orbalite {

CommandResult listFiles();
CommandResult totalStorage();
// Sent at once: the machine asks nothing and neither do we.
CommandResult formatDrive();
// Mute, unmute or one of the volume steps 2 to 9.
CommandResult audio(const QString &command);
// Two 8.3 names, each as name and extension, joined with no separator.
CommandResult rename(const QString &from, const QString &fromExtension, const QString &to,
                     const QString &toExtension);

} // namespace zentrel::orbalite
