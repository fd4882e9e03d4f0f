#include "tools/filewriter.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace zentrel {

namespace {

// Links deeper than this are a loop, as the system itself would say.
constexpr int kMostLinks = 40;
constexpr int kNameAttempts = 100;

// A rename is on the disk only once the folder that holds the name is; some
// file systems cannot sync a folder at all, and by now the new file is in
// place either way, so this is as far as it can be taken.
void syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// Root keeps both; anyone else keeps the group when it is one of theirs,
// and otherwise the replacement is theirs.
bool keepOwnerAndGroup(int fd, const struct stat &old)
{
    return ::fchown(fd, old.st_uid, old.st_gid) == 0 || ::fchown(fd, uid_t(-1), old.st_gid) == 0;
}

} // namespace

FileWriter::FileWriter(QString path) : m_path(std::move(path)) {}

FileWriter::~FileWriter()
{
    discard();
}

bool FileWriter::open()
{
    discard();
    m_written = m_started = m_waited = 0;
    m_error.clear();
    if (m_path.isEmpty()) {
        errno = ENOENT;
        return fail("open");
    }
    // Through a link, the file it names is what is replaced; the link stays.
    QFileInfo info(m_path);
    int links = kMostLinks;
    while (info.isSymLink() && links-- > 0)
        info.setFile(info.symLinkTarget());
    if (links < 0) {
        errno = ELOOP;
        return fail("open");
    }
    m_target = QFile::encodeName(info.absoluteFilePath());

    struct stat existing = {};
    const bool exists = ::stat(m_target.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        errno = EISDIR;
        return fail("open");
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        m_fd = ::open(m_target.constData(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
        return m_fd >= 0 || fail("open");
    }
    // A write-protected file stays protected from whoever it protects it
    // from; root, whom it does not stop, gets a replacement protected alike.
    if (exists && ::faccessat(AT_FDCWD, m_target.constData(), W_OK, AT_EACCESS) != 0)
        return fail("open");

    // Beside the target, so the rename never crosses a file system. The
    // mode 0666 is narrowed by the umask as for any new file.
    for (int attempt = 0; attempt < kNameAttempts && m_fd < 0; ++attempt) {
        const QByteArray name =
            m_target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        m_fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
        if (m_fd >= 0)
            m_temporary = name;
        else if (errno != EEXIST)
            return fail("create");
    }
    if (m_fd < 0)
        return fail("create");
    if (exists) {
        // What cannot be kept is never a reason to give up the save.
        keepOwnerAndGroup(m_fd, existing);
        // After the owner, which clears the set-ID bits.
        if (::fchmod(m_fd, existing.st_mode & 07777) != 0)
            return fail("keep the mode of");
    }
    return true;
}

bool FileWriter::write(QByteArrayView piece)
{
    if (m_fd < 0) {
        errno = EBADF;
        return fail("write");
    }
    const char *data = piece.data();
    qsizetype left = piece.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return fail("write");
        }
        data += written;
        left -= written;
        m_written += written;
    }
    return true;
}

void FileWriter::settle()
{
    // Large steps: the disk gets long writes, and one step is in flight
    // while the next is written.
    constexpr qint64 kStep = qint64(16) << 20;
    if (m_fd < 0 || m_temporary.isEmpty() || m_written - m_started < kStep)
        return;
    // Only a hint to the system: a file system without it loses nothing.
    if (m_waited < m_started)
        ::sync_file_range(m_fd, m_waited, m_started - m_waited,
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                              SYNC_FILE_RANGE_WAIT_AFTER);
    m_waited = m_started;
    ::sync_file_range(m_fd, m_started, m_written - m_started, SYNC_FILE_RANGE_WRITE);
    m_started = m_written;
}

bool FileWriter::commit()
{
    if (m_fd < 0) {
        errno = EBADF;
        return fail("commit");
    }
    // A device or a pipe has taken every byte already; asking it to sync
    // means nothing to most of them.
    if (m_temporary.isEmpty())
        return ::close(std::exchange(m_fd, -1)) == 0 || fail("close");
    if (::fsync(m_fd) != 0)
        return fail("sync");
    if (::close(std::exchange(m_fd, -1)) != 0)
        return fail("close");
    if (::rename(m_temporary.constData(), m_target.constData()) != 0)
        return fail("replace");
    m_temporary.clear();
    syncFolder(QFile::encodeName(QFileInfo(QFile::decodeName(m_target)).absolutePath()));
    return true;
}

void FileWriter::discard()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    if (!m_temporary.isEmpty())
        ::unlink(std::exchange(m_temporary, {}).constData());
}

bool FileWriter::fail(const char *step)
{
    const int error = errno;
    discard();
    m_error = QStringLiteral("Cannot %1 %2: %3")
                  .arg(QLatin1StringView(step), m_path, QString::fromLocal8Bit(strerror(error)));
    return false;
}

bool FileWriter::replace(const QString &path, std::initializer_list<QByteArrayView> pieces)
{
    FileWriter file(path);
    if (!file.open())
        return false;
    for (const QByteArrayView piece : pieces) {
        if (!file.write(piece))
            return false;
    }
    return file.commit();
}

} // namespace zentrel
