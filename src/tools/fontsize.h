#pragma once

namespace zentrel {

// The Font Size button's cycle: 10, 12, 14, 8 and round again. Sizes the
// cycle does not know step to its next member; anything above 14 stays.
double nextFontSize(double current);

} // namespace zentrel
