#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

namespace zentrel {

// The log's content: Latin-1 text, one byte per character, lines joined by
// CR LF exactly as it is saved. It only grows at its end, so line starts are
// kept as a sorted list and every operation costs the same at any length.
class LogText
{
public:
    LogText() { m_lineStarts.push_back(0); }

    bool isEmpty() const { return m_text.isEmpty(); }
    qsizetype size() const { return m_text.size(); }
    const QByteArray &text() const { return m_text; }

    qsizetype lineCount() const { return qsizetype(m_lineStarts.size()); }
    qsizetype lineStart(qsizetype line) const { return m_lineStarts[size_t(line)]; }
    qsizetype lineLength(qsizetype line) const;
    QByteArrayView line(qsizetype line) const;
    qsizetype lineOf(qsizetype position) const;
    qsizetype longestLine() const { return m_longest; }

    // Starts a new line (after CR LF unless the log is empty) holding piece.
    void appendLine(QByteArrayView piece);
    // Glues piece to the end of the last line.
    void append(QByteArrayView piece);
    void clear();

private:
    void noteLastLineLength();

    QByteArray m_text;
    std::vector<qsizetype> m_lineStarts;
    qsizetype m_longest = 0;
};

} // namespace zentrel
