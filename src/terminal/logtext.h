#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

namespace zentrel {

// The log's content: Latin-1 text, one byte per character, lines joined by
// CR LF exactly as it is saved. It only grows at its end, so line starts are
// kept as a sorted list and every operation costs the same at any length.
// The list is kept in fixed blocks that are never moved: a single growing
// array would copy itself on every doubling and leave the freed copies in
// the heap, a third more memory for a log of a million lines.
class LogText
{
public:
    LogText() { clear(); }

    bool isEmpty() const { return m_text.isEmpty(); }
    qsizetype size() const { return m_text.size(); }
    const QByteArray &text() const { return m_text; }

    qsizetype lineCount() const { return m_lineCount; }
    qsizetype lineStart(qsizetype line) const
    {
        return m_starts[size_t(line / kBlockSize)][size_t(line % kBlockSize)];
    }
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
    // 128 KiB a block: large enough to come straight from the system.
    static constexpr qsizetype kBlockSize = 16384;
    using Block = std::vector<qsizetype>;

    void addLineStart(qsizetype start);
    void noteLastLineLength();

    QByteArray m_text;
    std::vector<Block> m_starts;
    qsizetype m_lineCount = 0;
    qsizetype m_longest = 0;
};

} // namespace zentrel
