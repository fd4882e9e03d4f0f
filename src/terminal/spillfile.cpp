#include "terminal/spillfile.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

SpillFile::~SpillFile()
{
    ::close(m_fd);
}

bool SpillFile::append(QByteArrayView data, qint64 &offset)
{
    qint64 done = 0;
    while (done < data.size()) {
        const ssize_t written =
            ::pwrite(m_fd, data.data() + done, size_t(data.size() - done), m_end + done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (::ftruncate(m_fd, m_end) != 0) {
                // The file keeps a tail no block refers to; harmless.
            }
            return false;
        }
        done += written;
    }
    offset = m_end;
    m_end += data.size();
    return true;
}

bool SpillFile::read(qint64 offset, qint64 length, QByteArray &out) const
{
    out.resize(length);
    qint64 done = 0;
    while (done < length) {
        const ssize_t got = ::pread(m_fd, out.data() + done, size_t(length - done), offset + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += got;
    }
    return true;
}

} // namespace zentrel
