#include "terminal/logmodel.h"

namespace zentrel {

namespace {
constexpr int kWaitingLook = 50; // ms between looks at blocks on their way to disk
} // namespace

LogModel::LogModel(QObject *parent) : QObject(parent)
{
    // One block a turn of the event loop: a few milliseconds each.
    m_spill.setInterval(0);
    connect(&m_spill, &QTimer::timeout, this, &LogModel::spill);
}

void LogModel::write(QByteArrayView data, Direction direction, ViewMode mode)
{
    const auto position = m_text.size();
    const auto lines = m_text.lineCount();
    m_writer.write(data, direction, mode);
    grew(position, lines);
}

void LogModel::appendLine(QByteArrayView piece)
{
    const auto position = m_text.size();
    const auto lines = m_text.lineCount();
    m_text.appendLine(piece);
    grew(position, lines);
}

void LogModel::append(QByteArrayView piece)
{
    const auto position = m_text.size();
    const auto lines = m_text.lineCount();
    m_text.append(piece);
    grew(position, lines);
}

void LogModel::clear()
{
    const auto length = m_text.size();
    m_spill.stop();
    m_text.clear();
    m_writer.setNewReceiveLine(true);
    Q_EMIT cleared(length);
}

void LogModel::grew(qsizetype position, qsizetype lines)
{
    // The growth itself may have moved a block out, and found no folder.
    if (!m_spill.isActive() && (m_text.wantsSpill() || m_text.spillFaultPending()))
        m_spill.start(0);
    Q_EMIT appended(position, m_text.size() - position, m_text.lineCount() > lines);
}

void LogModel::spill()
{
    m_text.spillStep();
    if (m_text.wantsSpill())
        m_spill.setInterval(0);
    else if (m_text.spillWaiting() > 0)
        // The disk may yet refuse what waits for it: look again now and then.
        m_spill.setInterval(kWaitingLook);
    else
        m_spill.stop();
    if (m_text.takeSpillFault())
        Q_EMIT spillFault();
}

} // namespace zentrel
