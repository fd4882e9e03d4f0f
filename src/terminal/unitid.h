#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace zentrel::unitid {

inline constexpr int kMaxLength = 3;
inline constexpr int kHighest = 127;

// Digits, "*" and Backspace reach the unit-ID field by key; nothing else.
bool keyAdmitted(char16_t code);

// The range check reads the leading digits ("*" and "1*" read as 0 and 1), so
// a wildcard stays in the field and goes into the prefix unchanged.
bool outOfRange(const QString &text);

// What decides whether a send goes out addressed.
struct Addressing
{
    bool allowed = false;         // the IDAllowed flag
    bool controlsEnabled = false; // both ID controls, as on the Pelvox2 tab
    bool ticked = false;          // "Use ID:"
    QString id;                   // the unit-ID field
};

// The text as it goes on the wire: with "<id>@" in front while addressing
// applies, unchanged otherwise; nothing when it applies but no ID is given.
std::optional<QByteArray> address(QByteArray text, const Addressing &addressing);

} // namespace zentrel::unitid
