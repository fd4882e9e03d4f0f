#include "terminal/logtext.h"

#include <algorithm>

namespace zentrel {

namespace {
constexpr qsizetype kLineBreak = 2;
}

qsizetype LogText::lineLength(qsizetype line) const
{
    const auto next = line + 1;
    const auto end = next < m_lineCount ? lineStart(next) - kLineBreak : m_text.size();
    return end - lineStart(line);
}

QByteArrayView LogText::line(qsizetype line) const
{
    return QByteArrayView(m_text.constData() + lineStart(line), lineLength(line));
}

qsizetype LogText::lineOf(qsizetype position) const
{
    // The last block starting at or before position, then the line within it.
    const auto block = std::upper_bound(m_starts.begin(), m_starts.end(), position,
                                        [](qsizetype p, const Block &b) { return p < b.front(); });
    if (block == m_starts.begin())
        return -1;
    const auto &starts = *(block - 1);
    const auto it = std::upper_bound(starts.begin(), starts.end(), position);
    return qsizetype(block - 1 - m_starts.begin()) * kBlockSize + qsizetype(it - starts.begin()) -
           1;
}

void LogText::appendLine(QByteArrayView piece)
{
    if (!m_text.isEmpty()) {
        m_text.append("\r\n", kLineBreak);
        addLineStart(m_text.size());
    }
    append(piece);
}

void LogText::append(QByteArrayView piece)
{
    m_text.append(piece);
    noteLastLineLength();
}

void LogText::clear()
{
    // Hand the memory back: a cleared log of millions of lines should not
    // keep holding it.
    m_text = QByteArray();
    m_starts.clear();
    m_lineCount = 0;
    addLineStart(0);
    m_longest = 0;
}

void LogText::addLineStart(qsizetype start)
{
    if (m_lineCount % kBlockSize == 0) {
        m_starts.emplace_back();
        m_starts.back().reserve(size_t(kBlockSize));
    }
    m_starts.back().push_back(start);
    ++m_lineCount;
}

void LogText::noteLastLineLength()
{
    m_longest = std::max(m_longest, m_text.size() - m_starts.back().back());
}

} // namespace zentrel
