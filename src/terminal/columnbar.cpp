#include "terminal/columnbar.h"

#include <algorithm>

namespace zentrel {

ColumnBar ColumnBar::of(qsizetype lastColumn)
{
    ColumnBar bar;
    bar.last = std::max<qsizetype>(0, lastColumn);
    bar.scale = std::max<qsizetype>(1, (bar.last + kMost - 1) / kMost);
    bar.maximum = int((bar.last + bar.scale - 1) / bar.scale);
    return bar;
}

int ColumnBar::valueOf(qsizetype column) const
{
    if (column >= last)
        return maximum;
    return int(std::max<qsizetype>(0, column) / scale);
}

qsizetype ColumnBar::columnOf(int value) const
{
    if (value >= maximum)
        return last;
    return qsizetype(std::max(0, value)) * scale;
}

} // namespace zentrel
