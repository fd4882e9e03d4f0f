#include "terminal/spillfile.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace zentrel {

std::unique_ptr<SpillFile> SpillFile::create(const QString &folder, bool nameless)
{
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return nullptr;
    const QByteArray path = QFile::encodeName(folder);
    int fd = -1;
    if (nameless)
        fd = ::open(path.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        // O_TMPFILE is refused with one of several codes by file systems
        // that lack it; whatever the reason, a named file may still work.
        QByteArray name = path + "/zentrel-log-XXXXXX";
        fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0)
            return nullptr;
        ::unlink(name.constData());
        ::fchmod(fd, 0600);
    }
    return std::unique_ptr<SpillFile>(new SpillFile(fd));
}

struct SpillFile::Shared
{
    explicit Shared(int file) : fd(file) {}
    const int fd;
    mutable std::mutex mutex;
    std::condition_variable changed;
    // In file order; the first is being written, and leaves once it is.
    std::deque<std::pair<qint64, QByteArray>> pending;
    qint64 waiting = 0;
    bool failed = false;
    bool closing = false;
};

SpillFile::SpillFile(int fd) : m_shared(std::make_shared<Shared>(fd))
{
    std::thread([shared = m_shared] { write(shared); }).detach();
}

SpillFile::~SpillFile()
{
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->closing = true;
        m_shared->pending.clear();
    }
    m_shared->changed.notify_all();
}

void SpillFile::write(const std::shared_ptr<Shared> &shared)
{
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->changed.wait(lock, [&shared] {
            return shared->closing || (!shared->failed && !shared->pending.empty());
        });
        if (shared->closing)
            break;
        const auto [offset, data] = shared->pending.front();
        lock.unlock();
        qint64 done = 0;
        while (done < data.size()) {
            const ssize_t written =
                ::pwrite(shared->fd, data.data() + done, size_t(data.size() - done), offset + done);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                break;
            done += written;
        }
        lock.lock();
        if (done < data.size()) {
            // Give back the space of the part written; the rest of the
            // pieces stay in memory.
            if (::ftruncate(shared->fd, offset) != 0) {
                // The file keeps a tail no block refers to; harmless.
            }
            shared->failed = true;
        } else if (!shared->closing) {
            shared->pending.pop_front();
            shared->waiting -= data.size();
        }
    }
    lock.unlock();
    ::close(shared->fd);
}

bool SpillFile::append(QByteArray data, qint64 &offset)
{
    {
        const std::lock_guard lock(m_shared->mutex);
        if (m_shared->failed)
            return false;
        m_shared->waiting += data.size();
        m_shared->pending.emplace_back(m_end, std::move(data));
        offset = m_end;
        m_end += m_shared->pending.back().second.size();
    }
    m_shared->changed.notify_all();
    return true;
}

qint64 SpillFile::waiting() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->waiting;
}

bool SpillFile::failed() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->failed;
}

bool SpillFile::read(qint64 offset, qint64 length, QByteArray &out) const
{
    {
        const std::lock_guard lock(m_shared->mutex);
        for (const auto &[at, data] : m_shared->pending) {
            if (at == offset) {
                if (data.size() != length)
                    return false;
                out = data;
                return true;
            }
        }
    }
    // Not waiting: it is on disk, and stays there while this reads it.
    const int fd = m_shared->fd;
    out.resize(length);
    qint64 done = 0;
    while (done < length) {
        const ssize_t got = ::pread(fd, out.data() + done, size_t(length - done), offset + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += got;
    }
    return true;
}

} // namespace zentrel
