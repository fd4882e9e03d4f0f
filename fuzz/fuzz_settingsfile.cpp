// The settings file as found on disk: any bytes, any line endings.
#include "tools/settingsfile.h"

#include <cstdint>
#include <cstdlib>

using namespace zentrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView content(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto lines = settings::parse(content);
    if (lines.size() > settings::kLineCount)
        std::abort();

    // Whatever was read is written back as seven lines that read the same,
    // except for values holding a line break, which the format cannot keep.
    settings::Values values;
    values.port = lines.value(settings::kPortLine).value;
    values.view = lines.value(settings::kViewLine).value;
    for (int k = 0; k < settings::kQuickStringCount; ++k)
        values.strings[size_t(k)] = lines.value(settings::kFirstStringLine + k).value;
    const auto composed = settings::compose(values);
    if (!composed)
        std::abort(); // every value came from 8-bit text
    const auto again = settings::parse(*composed);
    if (again.size() != settings::kLineCount)
        std::abort();
    for (int line = 0; line < settings::kLineCount; ++line) {
        if (!again.at(line).prefixOk)
            std::abort();
    }
    return 0;
}
