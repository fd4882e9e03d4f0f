#pragma once

#include "terminal/logrenderer.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace zentrel::settings {

inline constexpr int kQuickStringCount = 5;
inline constexpr int kLineCount = 2 + kQuickStringCount;
inline constexpr int kPortLine = 0;
inline constexpr int kViewLine = 1;
inline constexpr int kFirstStringLine = 2;

inline const QString kFileName = QStringLiteral("Zentrel.ini");
inline const QString kSaveError = QStringLiteral("Error saving to file!");
inline const QString kReadError = QStringLiteral("Error reading file!");

// "Port: ", "View: ", "String 1: " ... "String 5: " for lines 0 to 6.
QString linePrefix(int line);

// The message naming a line whose prefix is wrong, keyed by the prefix
// without its trailing blank.
QString corruptLineMessage(int line);

struct Line
{
    bool prefixOk = false;
    QString value; // everything after the prefix, blanks included
};

// At most the first seven lines, in order; fewer when the file ends early.
// Lines end in LF, an optional CR before it is dropped; bytes are Latin-1.
QList<Line> parse(QByteArrayView content);

// What one line of the file asks of the main window. The window applies them
// in the file's order, so a port it opens or a box it shows keeps its place
// among the others.
struct Setting
{
    int line = 0;
    QString corrupt;                    // the message naming the line; empty on a sound one
    QString value;                      // a sound line's value
    ViewMode view = ViewMode::Standard; // the view line's pick, corrupt or not
};

// The lines parse reads; the view line is corrupt too when its value names
// no view.
QList<Setting> interpret(QByteArrayView content);

struct Values
{
    QString port;
    QString view;
    std::array<QString, kQuickStringCount> strings;
};

// The seven CR LF lines, or nothing when a value holds a character the 8-bit
// file cannot.
std::optional<QByteArray> compose(const Values &values);

// The message naming the first character outside Latin-1 and the line it is
// in ("Invalid character "€" (U+20AC) in String 2!"); nothing when all fit.
std::optional<QString> unsavableCharacter(const Values &values);

QString filePath();

// Reads the whole file; nothing when it is missing or unreadable.
std::optional<QByteArray> readFile();

// Replaces the file in one step, so an interrupted or failed write leaves the
// old one whole.
bool writeFile(const QByteArray &content);

} // namespace zentrel::settings
