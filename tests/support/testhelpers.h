#pragma once

#include "tools/apppath.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// Some cases take root (handing a file to another owner, mounting a file
// system, becoming another user), as CI runs the suite; for a developer who
// is not root they are skipped, saying what they need, never quietly passed.
#define ZENTREL_REQUIRE_ROOT(why)                                                                  \
    do {                                                                                           \
        if (::geteuid() != 0) {                                                                    \
            if (!qEnvironmentVariableIsEmpty("CI"))                                                \
                QFAIL("CI runs the suite as root");                                                \
            QSKIP("needs root: " why);                                                             \
        }                                                                                          \
    } while (false)

namespace zentrel::test {

// AppPath points at a directory while this lives, and back at what it
// pointed at before, however the test ends.
class AppPathOverride
{
public:
    explicit AppPathOverride(const QString &directory) : m_before(overrideAppPath(directory)) {}
    ~AppPathOverride() { overrideAppPath(m_before); }
    AppPathOverride(const AppPathOverride &) = delete;
    AppPathOverride &operator=(const AppPathOverride &) = delete;

private:
    QString m_before;
};

// An environment variable set while this lives, and as it was afterwards.
class EnvironmentOverride
{
public:
    EnvironmentOverride(const char *name, const QByteArray &value)
        : m_name(name), m_was(qEnvironmentVariableIsSet(name)), m_before(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~EnvironmentOverride()
    {
        if (m_was)
            qputenv(m_name, m_before);
        else
            qunsetenv(m_name);
    }
    EnvironmentOverride(const EnvironmentOverride &) = delete;
    EnvironmentOverride &operator=(const EnvironmentOverride &) = delete;

private:
    const char *m_name;
    bool m_was;
    QByteArray m_before;
};

inline QByteArray everyByte()
{
    QByteArray all;
    for (int value = 0; value < 256; ++value)
        all.append(char(value));
    return all;
}

inline QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// While it lives, no file grows beyond the given size: a write past it fails
// as it would on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_before);
        m_signal = ::signal(SIGXFSZ, SIG_IGN);
        rlimit small = m_before;
        small.rlim_cur = bytes;
        m_active = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_before);
        ::signal(SIGXFSZ, m_signal);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool active() const { return m_active; }

private:
    rlimit m_before = {};
    void (*m_signal)(int) = nullptr;
    bool m_active = false;
};

// Mode bits, owner and group of a file, or all -1 when it is missing.
struct Ownership
{
    int mode = -1;
    int owner = -1;
    int group = -1;
};

inline Ownership ownershipOf(const QString &path)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return {int(status.st_mode & 07777), int(status.st_uid), int(status.st_gid)};
}

inline bool setOwnership(const QString &path, const Ownership &wanted)
{
    const QByteArray name = QFile::encodeName(path);
    return ::chown(name.constData(), uid_t(wanted.owner), gid_t(wanted.group)) == 0 &&
           ::chmod(name.constData(), mode_t(wanted.mode)) == 0;
}

// An owner and a group that are not this process's: nobody and nogroup on
// Debian.
inline constexpr int kOtherOwner = 65534;
inline constexpr int kOtherGroup = 65534;

} // namespace zentrel::test
