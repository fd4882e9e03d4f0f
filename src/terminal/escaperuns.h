#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace zentrel {

// The Hex view writes every byte as a four-character escape such as "<3F>",
// and text in that form is slow to compress and slower to unpack: each
// escape costs the entropy coder four symbols for one byte of content.
// Before a log block is compressed, each run of escapes becomes a zero
// byte, the run's length and its bytes; a zero byte of the text itself
// becomes two zeros. Blocks with no run pass through almost unchanged.
QByteArray packEscapeRuns(QByteArrayView text);
// Writes exactly `size` bytes of text to out; false when packed is not what
// packEscapeRuns made of text that long (nothing is read or written
// outside the two buffers).
bool unpackEscapeRuns(QByteArrayView packed, char *out, qsizetype size);

} // namespace zentrel
