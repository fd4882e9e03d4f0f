#pragma once

#include <QtGlobal>

namespace zentrel {

// A scroll bar counts in int, a log line's columns do not: a single line
// of a long flood in Hex runs to billions of characters. The bar stands
// for the columns a shown area may start at, 0 to `last`; up to `kMost` it
// counts them one for one, beyond that in steps of `scale` columns, which
// the keys and the mouse then reach one by one. Either way its two ends
// are the line's two ends.
struct ColumnBar
{
    static constexpr int kMost = 1 << 30;

    qsizetype last = 0;
    qsizetype scale = 1;
    int maximum = 0;

    static ColumnBar of(qsizetype lastColumn);
    int valueOf(qsizetype column) const;
    qsizetype columnOf(int value) const;
};

} // namespace zentrel
