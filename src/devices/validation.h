#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace zentrel {

// True for exactly four decimal parts 0 to 255 joined by dots, not all four
// zero. Serves IP addresses, gateways and subnet masks alike.
bool ValidIP(const QString &TmpIP);

namespace validation {

inline constexpr int kFileNumberLength = 5;
inline constexpr int kWendloFileLength = 4;
inline constexpr int kAddressLength = 15; // 255.255.255.255
inline constexpr int kNewUnitIdLength = 3;

inline const QString kUnitIdParameter = QStringLiteral("Unit ID");

// Keystroke filters of the numeric fields: they answer whether the typed
// character with this code may reach the field.
bool numberKey(char16_t code);  // digits and Backspace
bool addressKey(char16_t code); // digits, Backspace and the dot
// The Pelvox2 value field: an address key, but no dot while the parameter
// beside it is the unit ID.
bool parameterKey(char16_t code, const QString &parameter);
int parameterMaxLength(const QString &parameter);

// A non-empty run of ASCII digits and nothing else.
bool plainDigits(QStringView text);

// The value of a non-empty plain run of ASCII digits, if it is at most
// `highest`; nothing for any other text, however long its digits run.
std::optional<int> plainNumber(QStringView text, int highest);

} // namespace validation
} // namespace zentrel
