#include "terminal/logwriter.h"

namespace zentrel {

void LogWriter::write(QByteArrayView data, Direction direction, ViewMode mode)
{
    m_scratch.clear();
    if (direction == Direction::Sent) {
        m_scratch.append(kSentLabel);
        renderBytes(m_scratch, data, mode);
        m_log.appendLine(m_scratch);
        m_newReceiveLine = true;
    } else if (m_newReceiveLine) {
        m_scratch.append(kReceivedLabel);
        renderBytes(m_scratch, data, mode);
        m_log.appendLine(m_scratch);
        m_newReceiveLine = false;
    } else {
        renderBytes(m_scratch, data, mode);
        m_log.append(m_scratch);
    }
    // A huge piece once should not pin its scratch copy for the life of the log.
    if (m_scratch.capacity() > 1 << 16)
        m_scratch = QByteArray();
}

} // namespace zentrel
