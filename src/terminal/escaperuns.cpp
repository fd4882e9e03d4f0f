#include "terminal/escaperuns.h"

#include "terminal/logrenderer.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zentrel {

namespace {

// Shorter runs would cost more to mark than they save.
constexpr qsizetype kShortestRun = 4;
constexpr qsizetype kEscape = 4;

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The byte an escape at `at` stands for, or -1 when none starts there.
int escapeAt(const char *at, const char *end)
{
    if (end - at < kEscape || at[0] != '<' || at[3] != '>')
        return -1;
    const int high = hexDigit(at[1]);
    const int low = hexDigit(at[2]);
    return high < 0 || low < 0 ? -1 : high << 4 | low;
}

void appendLiterals(QByteArray &out, const char *from, const char *to)
{
    while (from < to) {
        const auto *zero = static_cast<const char *>(std::memchr(from, 0, size_t(to - from)));
        const char *stop = zero ? zero : to;
        out.append(from, stop - from);
        if (!zero)
            return;
        out.append(2, '\0');
        from = zero + 1;
    }
}

void appendCount(QByteArray &out, qsizetype count)
{
    for (; count >= 0x80; count >>= 7)
        out.append(char(0x80 | (count & 0x7F)));
    out.append(char(count));
}

// Each byte's escape as the Hex view writes it, so what is unpacked is
// always what was shown.
const std::array<std::array<char, kEscape>, 256> &escapes()
{
    static const auto table = [] {
        std::array<std::array<char, kEscape>, 256> made{};
        for (int b = 0; b < 256; ++b) {
            QByteArray escape;
            const char byte = char(b);
            renderBytes(escape, QByteArrayView(&byte, 1), ViewMode::Hex);
            std::copy_n(escape.constData(), kEscape, made[size_t(b)].begin());
        }
        return made;
    }();
    return table;
}

} // namespace

QByteArray packEscapeRuns(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size() / 2);
    const char *end = text.data() + text.size();
    const char *literal = text.data();
    for (const char *at = literal; at < end;) {
        const auto *open = static_cast<const char *>(std::memchr(at, '<', size_t(end - at)));
        if (!open)
            break;
        const char *runEnd = open;
        while (escapeAt(runEnd, end) >= 0)
            runEnd += kEscape;
        const qsizetype count = (runEnd - open) / kEscape;
        if (count < kShortestRun) {
            at = open + 1;
            continue;
        }
        appendLiterals(out, literal, open);
        out.append('\0');
        appendCount(out, count);
        for (const char *escape = open; escape < runEnd; escape += kEscape)
            out.append(char(escapeAt(escape, end)));
        at = literal = runEnd;
    }
    appendLiterals(out, literal, end);
    return out;
}

bool unpackEscapeRuns(QByteArrayView packed, char *out, qsizetype size)
{
    const auto *in = reinterpret_cast<const unsigned char *>(packed.data());
    const auto *inEnd = in + packed.size();
    char *outEnd = out + size;
    const auto &table = escapes();
    while (in < inEnd) {
        const auto *zero =
            static_cast<const unsigned char *>(std::memchr(in, 0, size_t(inEnd - in)));
        const auto literals = (zero ? zero : inEnd) - in;
        if (literals > outEnd - out)
            return false;
        std::memcpy(out, in, size_t(literals));
        out += literals;
        if (!zero)
            break;
        in = zero + 1;
        qsizetype count = 0;
        for (int shift = 0;; shift += 7) {
            if (in == inEnd || shift > 28)
                return false;
            const unsigned char digit = *in++;
            count |= qsizetype(digit & 0x7F) << shift;
            if (!(digit & 0x80))
                break;
        }
        if (count == 0) { // the text's own zero byte
            if (out == outEnd)
                return false;
            *out++ = '\0';
            continue;
        }
        if (count > inEnd - in || count > (outEnd - out) / kEscape)
            return false;
        for (const auto *byteEnd = in + count; in < byteEnd; ++in, out += kEscape)
            std::memcpy(out, table[*in].data(), kEscape);
    }
    return out == outEnd;
}

} // namespace zentrel
