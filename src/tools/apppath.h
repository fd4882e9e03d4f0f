#pragma once

#include <QString>

namespace zentrel {

// The directory Zentrel.ini and the ports/ links live in, ending in exactly
// one separator: the user's data directory for an installed copy, the
// program's own directory for any other.
QString AppPath();

// Where a copy standing in `programDirectory` keeps its files. A copy in
// `installedBinDirectory`, the bin directory of the prefix it was built for,
// is installed: the package manager owns that directory, so the files go to
// the user's data directory (created when missing), for root as well. Any
// other copy (a build tree, an unpacked folder, write-protected media) is
// portable and keeps them beside itself, writable or not, so that its
// pinned ports/ links are found again.
QString homeFor(const QString &programDirectory, const QString &installedBinDirectory);

// Lets a test run the program's code against a directory of its own (empty:
// the program's own again); returns the directory overridden before.
QString overrideAppPath(const QString &directory);

} // namespace zentrel
