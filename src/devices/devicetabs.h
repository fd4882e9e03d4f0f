#pragma once

#include <QLatin1StringView>
#include <QString>
#include <Qt>

#include <cstddef>
#include <iterator>
#include <optional>

// The main window's device tabs, apart from the widgets.
namespace zentrel::devicetabs {

struct Tab
{
    const char *caption;
    bool idAllowed; // the unit-ID controls stay enabled while it is shown
};

// In tab order; the panel at the same index is the one each tab shows.
inline constexpr Tab kTabs[] = {
    {"Pelvox2", true},   {"Pelvox/HD", false}, {"8Wendlo", false},
    {"Orbalite", false}, {" 8-Bit", false},
};

// The row of the tab with that caption, or nothing.
inline std::optional<std::size_t> rowOf(const QString &caption)
{
    for (std::size_t row = 0; row < std::size(kTabs); ++row) {
        if (caption == QLatin1StringView(kTabs[row].caption))
            return row;
    }
    return std::nullopt;
}

// The tab a key press moves to from current: Ctrl+Tab the next, Ctrl+Shift+Tab
// the one before, round from either end to the other; nothing for any other
// key. X11 sends Ctrl+Shift+Tab as Backtab, other platforms as Shift+Tab.
inline std::optional<int> step(int current, int key, Qt::KeyboardModifiers modifiers)
{
    if ((key != Qt::Key_Tab && key != Qt::Key_Backtab) || !modifiers.testFlag(Qt::ControlModifier))
        return std::nullopt;
    const bool back = key == Qt::Key_Backtab || modifiers.testFlag(Qt::ShiftModifier);
    const int count = int(std::size(kTabs));
    return (current + (back ? count - 1 : 1)) % count;
}

} // namespace zentrel::devicetabs
