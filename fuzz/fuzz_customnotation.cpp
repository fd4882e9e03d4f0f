// The custom string notation as typed by an operator: any text at all.
#include "tools/customnotation.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString typed = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto result = zentrel::ConvertCustom(typed);
    // A refusal carries no bytes, and no text converts into more bytes than
    // it has characters.
    if (result.refused() && !result.bytes.isEmpty())
        std::abort();
    if (result.bytes.size() > typed.size())
        std::abort();
    return 0;
}
