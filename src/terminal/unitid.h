#pragma once

#include <QString>

namespace zentrel::unitid {

inline constexpr int kMaxLength = 3;
inline constexpr int kHighest = 127;

// Digits, "*" and Backspace reach the unit-ID field by key; nothing else.
bool keyAdmitted(char16_t code);

// The range check reads the leading digits ("*" and "1*" read as 0 and 1), so
// a wildcard stays in the field and goes into the prefix unchanged.
bool outOfRange(const QString &text);

} // namespace zentrel::unitid
