#pragma once

#include "appdirectory.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace zentrel::bench {

// The real program, copied into a program directory of its own whose
// settings select port 1, pinned to a far end's line, and started as a child
// on the benchmark's display (offscreen when there is none). Its spill file
// goes to the cache folder given. Whatever happens, it does not outlive the
// benchmark.
class ChildProgram
{
public:
    ChildProgram(const QString &program, const QString &portPath, const QString &cacheFolder);
    // Ends it the hard way if it still runs.
    ~ChildProgram();
    ChildProgram(const ChildProgram &) = delete;
    ChildProgram &operator=(const ChildProgram &) = delete;

    // Waits until it holds its port open (the splash comes first).
    bool waitForPort(int timeoutMs);
    // The targets of its open descriptors.
    QStringList openFiles() const;
    // Waits the time, less when it ends meanwhile; whether it still runs.
    bool livesOn(int milliseconds);
    // A memory figure of /proc/<pid>/status ("VmRSS", "VmHWM"), in bytes.
    qint64 memory(const char *field) const;
    // Ends it as a session ending would, by SIGTERM: it saves its settings
    // and exits. False when it failed or had to be killed.
    bool end(int timeoutMs);
    // The end of what it wrote to its standard error.
    QString errors() const;

private:
    test::AppDirectory m_dir;
    QString m_portPath;
    QProcess m_process;
};

} // namespace zentrel::bench
