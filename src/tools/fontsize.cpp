#include "tools/fontsize.h"

namespace zentrel {

double nextFontSize(double current)
{
    if (current <= 9)
        return 10;
    if (current <= 10)
        return 12;
    if (current <= 12)
        return 14;
    if (current <= 14)
        return 8;
    return current;
}

} // namespace zentrel
