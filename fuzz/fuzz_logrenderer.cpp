// Received bytes as a device may send them, through every view and into the
// log as sent and received pieces, and on to the form the log's blocks take
// on disk and back.
#include "terminal/escaperuns.h"
#include "terminal/logwriter.h"

#include <cstdint>
#include <cstdlib>

using namespace zentrel;

namespace {

// Whatever text is packed comes back whole; whatever bytes are read as a
// packed form stay within the buffers.
void checkEscapeRuns(QByteArrayView text)
{
    const QByteArray packed = packEscapeRuns(text);
    QByteArray back(text.size(), '\0');
    if (!unpackEscapeRuns(packed, back.data(), back.size()) || back != text)
        std::abort();
    QByteArray out(4 * text.size() + 4, '\0');
    for (const qsizetype size : {qsizetype(0), text.size(), out.size()})
        unpackEscapeRuns(text, out.data(), size);
}

void checkRendering(QByteArrayView bytes, ViewMode mode)
{
    QByteArray out("prefix");
    renderBytes(out, bytes, mode);
    qsizetype controls = 0;
    for (const char c : bytes)
        controls += static_cast<unsigned char>(c) < 32 ? 1 : 0;
    const qsizetype expected = mode == ViewMode::Standard ? bytes.size()
                               : mode == ViewMode::Mixed  ? bytes.size() + 3 * controls
                                                          : 4 * bytes.size();
    if (out.size() != 6 + expected || !out.startsWith("prefix"))
        std::abort();
    checkEscapeRuns(out);
    // No view lets a control byte through to the log: a CR or LF there would
    // break the log's lines.
    for (qsizetype i = 6; i < out.size(); ++i) {
        if (static_cast<unsigned char>(out.at(i)) < 32)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const auto mode : {ViewMode::Standard, ViewMode::Mixed, ViewMode::Hex})
        checkRendering(bytes, mode);
    checkEscapeRuns(bytes);

    // The first byte picks the view; each later byte below 4 ends a piece
    // and says which way the next one travels.
    if (bytes.isEmpty())
        return 0;
    const auto mode = static_cast<ViewMode>(static_cast<unsigned char>(bytes.front()) % 3);
    LogText log;
    LogWriter writer(log);
    qsizetype start = 1;
    Direction direction = Direction::Received;
    for (qsizetype i = 1; i <= bytes.size(); ++i) {
        if (i < bytes.size() && static_cast<unsigned char>(bytes.at(i)) >= 4)
            continue;
        writer.write(bytes.sliced(start, i - start), direction, mode);
        if (i < bytes.size())
            direction = bytes.at(i) % 2 ? Direction::Sent : Direction::Received;
        start = i + 1;
    }
    // The line table agrees with the text.
    qsizetype position = 0;
    for (qsizetype line = 0; line < log.lineCount(); ++line) {
        if (log.lineStart(line) != position || log.lineOf(position) != line)
            std::abort();
        position += log.lineLength(line) + 2;
    }
    if (position - 2 != log.size())
        std::abort();
    return 0;
}
