#include "tools/queuedfilewriter.h"

#include "tools/filewriter.h"

#include <chrono>
#include <utility>

namespace zentrel {

QueuedFileWriter::QueuedFileWriter(std::unique_ptr<FileWriter> file, std::size_t mostQueued)
    : m_file(std::move(file)), m_mostQueued(mostQueued), m_thread([this] { run(); })
{}

QueuedFileWriter::~QueuedFileWriter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

bool QueuedFileWriter::hasRoom() const
{
    const std::lock_guard lock(m_mutex);
    return roomLocked();
}

void QueuedFileWriter::push(Piece piece)
{
    {
        const std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(piece));
    }
    m_changed.notify_all();
}

void QueuedFileWriter::finish()
{
    {
        const std::lock_guard lock(m_mutex);
        m_finishing = true;
    }
    m_changed.notify_all();
}

QueuedFileWriter::State QueuedFileWriter::state() const
{
    const std::lock_guard lock(m_mutex);
    return m_state;
}

QueuedFileWriter::State QueuedFileWriter::wait(int milliseconds)
{
    std::unique_lock lock(m_mutex);
    const auto ready = [this] { return m_state != State::Writing || roomLocked(); };
    if (milliseconds < 0)
        m_changed.wait(lock, ready);
    else
        m_changed.wait_for(lock, std::chrono::milliseconds(milliseconds), ready);
    return m_state;
}

void QueuedFileWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || m_finishing || !m_queue.empty(); });
        if (m_stopping)
            return;
        bool written = true;
        if (m_queue.empty()) {
            lock.unlock();
            written = m_file->commit();
            lock.lock();
            m_state = written ? State::Committed : State::Failed;
        } else {
            Piece piece = std::move(m_queue.front());
            m_queue.pop_front();
            m_changed.notify_all();
            lock.unlock();
            const bool unpacked = !piece.unpack || piece.unpack(piece.bytes);
            written = unpacked && m_file->write(piece.bytes);
            if (written)
                m_file->settle();
            piece = {};
            lock.lock();
            if (!written)
                m_state = unpacked ? State::Failed : State::Unreadable;
        }
        if (m_state != State::Writing) {
            m_changed.notify_all();
            return;
        }
    }
}

} // namespace zentrel
