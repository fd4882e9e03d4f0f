#pragma once

#include <QByteArray>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace zentrel {

class FileWriter;

// An open FileWriter on a thread of its own: the pieces handed in are
// written and committed in order while the caller goes on, so neither the
// disk's pace nor the final sync ever holds the window. Only a few pieces
// wait at a time, which bounds the memory; the caller keeps the rest until
// there is room. Once handed in, the file is touched by that thread alone.
// A piece may come still packed, with what unpacks it there: so the thread
// takes a share of the work of making the bytes, not only of writing them.
class QueuedFileWriter
{
public:
    // Unreadable: a piece did not unpack; the file is discarded as on Failed.
    enum class State { Writing, Committed, Failed, Unreadable };
    struct Piece
    {
        QByteArray bytes;
        // Run on the thread before the bytes are written; false: unreadable.
        std::function<bool(QByteArray &)> unpack;
    };

    explicit QueuedFileWriter(std::unique_ptr<FileWriter> file, std::size_t mostQueued = 8);
    // Stops after the piece being written; an uncommitted file is discarded.
    ~QueuedFileWriter();
    QueuedFileWriter(const QueuedFileWriter &) = delete;
    QueuedFileWriter &operator=(const QueuedFileWriter &) = delete;

    bool hasRoom() const;
    // Only while there is room; the last piece is followed by finish().
    void push(Piece piece);
    void finish();
    State state() const;
    // Until there is room for another piece or the file is done with, for
    // at most the given time (a negative time: no limit).
    State wait(int milliseconds);

private:
    void run();
    bool roomLocked() const { return m_queue.size() < m_mostQueued && !m_finishing; }

    std::unique_ptr<FileWriter> m_file;
    const std::size_t m_mostQueued;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Piece> m_queue;
    bool m_finishing = false;
    bool m_stopping = false;
    State m_state = State::Writing;
    // Last, so it starts once everything it uses is in place.
    std::thread m_thread;
};

} // namespace zentrel
