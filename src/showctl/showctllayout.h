#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace zentrel::showctl {

// Label widths in twips when no command widens them.
inline constexpr int kData1LabelWidth = 1575;
inline constexpr int kData2LabelWidth = 1455;

// What one data position of the show controller panel offers.
enum class FieldKind {
    None, // nothing shown, the label hidden and blank
    List, // a pick-only list of `items`
    Text, // a free text field in the custom string notation
};

struct DataField
{
    FieldKind kind = FieldKind::None;
    QString caption;
    QStringList items;
    int labelWidth = 0; // twips
};

// The two data positions a command shows.
struct CommandLayout
{
    DataField data1;
    DataField data2;
};

// The response modes; a mode's byte on the wire is its place in this list.
const QStringList &responseModes();

// The layout for a command name (compared exactly); nothing for a name that
// is not on the menu.
std::optional<CommandLayout> commandLayout(const QString &command);

} // namespace zentrel::showctl
