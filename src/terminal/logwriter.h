#pragma once

#include "terminal/logrenderer.h"
#include "terminal/logtext.h"

namespace zentrel {

inline constexpr char kSentLabel[] = "Command Sent:  ";
inline constexpr char kReceivedLabel[] = "Receiving: ";

// Puts traffic into the log: every sent command on a line of its own, the
// first received piece after it on a new "Receiving: " line, later pieces
// glued to that line. The sender says which direction a piece travelled, so
// received data is never mistaken for a sent line whatever it contains.
class LogWriter
{
public:
    explicit LogWriter(LogText &log) : m_log(log) {}

    void write(QByteArrayView data, Direction direction, ViewMode mode);

    bool newReceiveLine() const { return m_newReceiveLine; }
    void setNewReceiveLine(bool value) { m_newReceiveLine = value; }

private:
    LogText &m_log;
    QByteArray m_scratch;
    bool m_newReceiveLine = true;
};

} // namespace zentrel
