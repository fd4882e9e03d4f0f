#pragma once

#include "terminal/commandresult.h"

#include <QString>

// The Pelvox2 video machine's own commands; its transport, search and mute
// are the shared ones in asciicommand.h.
namespace zentrel::pelvox2 {

CommandResult dhcp();
CommandResult sampleRate(const QString &rate);
CommandResult request(const QString &information);
// "Set <parameter> TO <value>": the value goes out as typed once it passes
// the parameter's check.
CommandResult set(const QString &parameter, const QString &value);

} // namespace zentrel::pelvox2
