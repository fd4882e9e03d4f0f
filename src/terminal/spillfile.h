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
//
// A thread of the file's own writes what is appended, so the disk's pace
// (a system holding back writers while much waits to go out) never holds
// the window. Until it is written, a piece is read from memory; once a
// write fails, nothing more goes to disk and what was not written stays in
// memory, so nothing handed in is lost.
class SpillFile
{
public:
    // Nullptr when the folder cannot be made or holds no new file.
    static std::unique_ptr<SpillFile> create(const QString &folder, bool nameless = true);
    // Returns at once: the file's thread closes it, which for a large file
    // takes a while as the system frees its space.
    ~SpillFile();
    SpillFile(const SpillFile &) = delete;
    SpillFile &operator=(const SpillFile &) = delete;

    // Puts data at the end and says where; false once a write has failed.
    bool append(QByteArray data, qint64 &offset);
    // Exactly length bytes from offset, as appended in one piece, or false.
    bool read(qint64 offset, qint64 length, QByteArray &out) const;
    qint64 size() const { return m_end; }
    // Bytes appended but not yet on disk.
    qint64 waiting() const;
    bool failed() const;

private:
    struct Shared;
    explicit SpillFile(int fd);
    static void write(const std::shared_ptr<Shared> &shared);

    std::shared_ptr<Shared> m_shared;
    qint64 m_end = 0;
};

} // namespace zentrel
