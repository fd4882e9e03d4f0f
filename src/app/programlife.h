#pragma once

namespace zentrel {

// The program from its splash to its end, on the running QApplication: it
// returns when start-up found no port and its message was closed, or when
// the main window has gone. Returns the event loop's exit code.
int runProgram();

} // namespace zentrel
