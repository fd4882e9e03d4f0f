#include "terminal/logrenderer.h"

namespace zentrel {

std::optional<ViewMode> viewModeFromText(const QString &text)
{
    const auto index = kViewModeNames.indexOf(text);
    if (index < 0)
        return std::nullopt;
    return static_cast<ViewMode>(index);
}

namespace {

void appendEscape(QByteArray &out, unsigned char byte)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    const char escape[4] = {'<', digits[byte >> 4], digits[byte & 0x0F], '>'};
    out.append(escape, 4);
}

} // namespace

void renderBytes(QByteArray &out, QByteArrayView bytes, ViewMode mode)
{
    switch (mode) {
    case ViewMode::Standard: {
        const auto start = out.size();
        out.append(bytes);
        for (auto i = start; i < out.size(); ++i) {
            if (static_cast<unsigned char>(out.at(i)) < 32)
                out[i] = '|';
        }
        break;
    }
    case ViewMode::Mixed:
        out.reserve(out.size() + bytes.size());
        for (const char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 32)
                appendEscape(out, byte);
            else
                out.append(c);
        }
        break;
    case ViewMode::Hex:
        out.reserve(out.size() + 4 * bytes.size());
        for (const char c : bytes)
            appendEscape(out, static_cast<unsigned char>(c));
        break;
    }
}

} // namespace zentrel
