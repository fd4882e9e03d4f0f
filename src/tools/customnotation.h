#pragma once

#include "terminal/commandresult.h"

#include <QString>

namespace zentrel {

inline const QString kInvalidStringFormat = QStringLiteral("Invalid string format!");
inline const QString kInvalidHexValue = QStringLiteral("Invalid hex value!");
inline const QString kInvalidCharacter = QStringLiteral("Invalid character in string!");

// The custom string notation: "quoted text" goes out as typed, h plus two hex
// digits is one byte, anything else outside quotes is skipped. Returns the
// bytes, or the first notation error; empty bytes and no refusal when the
// text produces nothing.
CommandResult ConvertCustom(const QString &CustomStr);

} // namespace zentrel
