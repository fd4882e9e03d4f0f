#pragma once

#include <QPixmap>

namespace zentrel::artwork {

// The program's own pictures, drawn rather than shipped: the splash (314 by
// 431), the About box's emblem and the window icon share one motif, a serial
// plug sending a pulse train.
QPixmap splash();
QPixmap emblem(int size);

} // namespace zentrel::artwork
