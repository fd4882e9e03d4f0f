#pragma once

#include <QLatin1StringView>
#include <QString>

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

} // namespace zentrel::devicetabs
