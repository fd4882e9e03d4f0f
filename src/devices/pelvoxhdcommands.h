#pragma once

#include "terminal/commandresult.h"

#include <QString>

// The Pelvox/HD video machine's own commands; its transport, search and mute
// are the shared ones in asciicommand.h.
namespace zentrel::pelvoxhd {

CommandResult ipRequest();
CommandResult debugMode(const QString &option);
CommandResult colorspace(const QString &space);
// The format's name itself, in double quotes, is the argument.
CommandResult videoFormat(const QString &format);
CommandResult setIP(const QString &address);

} // namespace zentrel::pelvoxhd
