#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

namespace zentrel {

// Where the log puts the text it no longer keeps in memory: a file of the
// user's cache folder that has no name from the moment it exists, so nothing
// is left behind however the program ends, and only this user can read it.
// Where the file system cannot make a nameless file, a named one is made
// and unlinked at once.
class SpillFile
{
public:
    // Nullptr when the folder cannot be made or holds no new file.
    static std::unique_ptr<SpillFile> create(const QString &folder, bool nameless = true);
    ~SpillFile();
    SpillFile(const SpillFile &) = delete;
    SpillFile &operator=(const SpillFile &) = delete;

    // Puts data at the end and says where; a write the disk cannot take
    // whole is taken back, returning the space it had.
    bool append(QByteArrayView data, qint64 &offset);
    // Exactly length bytes from offset, or false.
    bool read(qint64 offset, qint64 length, QByteArray &out) const;
    qint64 size() const { return m_end; }

private:
    explicit SpillFile(int fd) : m_fd(fd) {}

    int m_fd = -1;
    qint64 m_end = 0;
};

} // namespace zentrel
