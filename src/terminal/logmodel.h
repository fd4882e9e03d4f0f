#pragma once

#include "terminal/logrenderer.h"
#include "terminal/logtext.h"
#include "terminal/logwriter.h"

#include <QObject>
#include <QTimer>

namespace zentrel {

// The log as the window keeps it: its text, the writer that puts traffic
// into it, and the moving of older text to disk between events. Whoever
// shows the log, on screen or to assistive technology, reads it here and
// learns from the signals where it grew; nobody has to be told by hand.
//
// Positions count characters from the start of the text, one byte each,
// lines joined by CR LF; a range is read without copying the rest.
class LogModel : public QObject
{
    Q_OBJECT

public:
    explicit LogModel(QObject *parent = nullptr);

    const LogText &text() const { return m_text; }
    void setLimits(LogText::Limits limits) { m_text.setLimits(std::move(limits)); }

    qsizetype size() const { return m_text.size(); }
    qsizetype lineCount() const { return m_text.lineCount(); }
    qsizetype lineStart(qsizetype line) const { return m_text.lineStart(line); }
    qsizetype lineLength(qsizetype line) const { return m_text.lineLength(line); }
    qsizetype lineOf(qsizetype position) const { return m_text.lineOf(position); }
    qsizetype longestLine() const { return m_text.longestLine(); }
    // Appends the range to out; false, with out unchanged, when part of it
    // lies in a block that did not read back intact.
    bool read(qsizetype from, qsizetype length, QByteArray &out) const
    {
        return m_text.read(from, length, out);
    }

    // Traffic in the given view: a sent line, or a received piece that
    // starts a "Receiving: " line or is glued to the last one.
    void write(QByteArrayView data, Direction direction, ViewMode mode);
    bool NewReceiveLine() const { return m_writer.newReceiveLine(); }
    void setNewReceiveLine(bool value) { m_writer.setNewReceiveLine(value); }
    // Text as it stands, for what brings its own lines: a new line, or a
    // piece without line breaks glued to the last one.
    void appendLine(QByteArrayView piece);
    void append(QByteArrayView piece);
    // Empties the log; the next received piece starts a new line.
    void clear();

Q_SIGNALS:
    // Length characters were added at position, the end of the text as it
    // was; newLine when a line break came first (at position, two
    // characters) and later lines may have followed.
    void appended(qsizetype position, qsizetype length, bool newLine);
    // All length characters are gone; the log holds one empty line.
    void cleared(qsizetype length);
    // No folder took the text that leaves memory: the log goes on in
    // memory, and the operator should be told, once.
    void spillFault();

private:
    void grew(qsizetype position, qsizetype lines);
    void spill();

    LogText m_text;
    LogWriter m_writer{m_text};
    QTimer m_spill;
};

} // namespace zentrel
