#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <initializer_list>

namespace zentrel {

// Replaces a file whole or not at all. The bytes go to a new file beside the
// target, in as many pieces as the caller likes, so a large text never has
// to be gathered in one buffer; commit() puts it on the disk and renames it
// over the target. Until then, and whenever anything fails, the old file is
// untouched and the new one is removed again. The replacement keeps the
// mode, owner and group of the file it replaces, as far as this user may
// set them; a new file gets the usual mode for this process.
//
// A target that exists and is neither a plain file nor a folder (a device,
// a pipe) is written in place: putting a file where /dev/something was would
// break it for every other program.
class FileWriter
{
public:
    explicit FileWriter(QString path);
    ~FileWriter(); // discards what has not been committed
    FileWriter(const FileWriter &) = delete;
    FileWriter &operator=(const FileWriter &) = delete;

    bool open();
    bool write(QByteArrayView piece);
    // Starts putting what was written so far on the disk and waits for what
    // was started last time, so a long write keeps at disk speed without
    // leaving gigabytes for commit() to wait on at once.
    void settle();
    bool commit();
    void discard();

    // Why the last step failed, for a log or a diagnostic; empty otherwise.
    QString errorString() const { return m_error; }

    // open(), every piece in order, commit().
    static bool replace(const QString &path, std::initializer_list<QByteArrayView> pieces);

private:
    bool fail(const char *step);

    QString m_path;         // the name as given
    QByteArray m_target;    // what is replaced, links followed
    QByteArray m_temporary; // empty when writing in place
    int m_fd = -1;
    qint64 m_written = 0;
    qint64 m_started = 0; // written bytes whose writeback was started
    qint64 m_waited = 0;
    QString m_error;
};

} // namespace zentrel
