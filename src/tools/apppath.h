#pragma once

#include <QString>

namespace zentrel {

// The program's directory, ending in exactly one separator. Zentrel.ini and
// the ports/ links live here. When the program's directory is not writable
// (an installed copy), the user's data directory for Zentrel stands in.
QString AppPath();

// Lets a test run the program's code against a directory of its own.
void overrideAppPath(const QString &directory);

} // namespace zentrel
