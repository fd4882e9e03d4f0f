#include "terminal/logtext.h"

#include <algorithm>

namespace zentrel {

namespace {
constexpr qsizetype kLineBreak = 2;
}

qsizetype LogText::lineLength(qsizetype line) const
{
    const auto next = size_t(line) + 1;
    const auto end = next < m_lineStarts.size() ? m_lineStarts[next] - kLineBreak : m_text.size();
    return end - lineStart(line);
}

QByteArrayView LogText::line(qsizetype line) const
{
    return QByteArrayView(m_text.constData() + lineStart(line), lineLength(line));
}

qsizetype LogText::lineOf(qsizetype position) const
{
    const auto it = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), position);
    return qsizetype(it - m_lineStarts.begin()) - 1;
}

void LogText::appendLine(QByteArrayView piece)
{
    if (!m_text.isEmpty()) {
        m_text.append("\r\n", kLineBreak);
        m_lineStarts.push_back(m_text.size());
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
    m_lineStarts = {0};
    m_longest = 0;
}

void LogText::noteLastLineLength()
{
    m_longest = std::max(m_longest, m_text.size() - m_lineStarts.back());
}

} // namespace zentrel
