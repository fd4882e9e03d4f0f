#pragma once

#include "terminal/commandresult.h"

#include <QString>

// The 8Wendlo audio player: file number first, then the channel ("1" to "8"
// or "*"), then the code.
namespace zentrel::wendlo {

// 1 to 511 or 1001 to 1511, read from a plain run of digits.
bool validFileNumber(const QString &file);

CommandResult assignSound(const QString &channel, const QString &file);
// The file number is optional for playing.
CommandResult play(const QString &channel, const QString &file);
CommandResult loopPlay(const QString &channel, const QString &file);
CommandResult resetChannel(const QString &channel);
CommandResult audio(const QString &channel, const QString &command);
CommandResult keylock(const QString &command);

} // namespace zentrel::wendlo
