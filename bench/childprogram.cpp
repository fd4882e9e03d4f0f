#include "childprogram.h"

#include "report.h"
#include "window.h"

#include <QDir>

#include <csignal>
#include <sys/prctl.h>

namespace zentrel::bench {

namespace {

QString errorsFile()
{
    return QStringLiteral("errors.txt");
}

} // namespace

ChildProgram::ChildProgram(const QString &program, const QString &portPath,
                           const QString &cacheFolder)
    : m_portPath(portPath)
{
    m_dir.pin(1, portPath);
    m_dir.writeIni(settingsFor("Standard"));
    const QString copy = m_dir.filePath(QStringLiteral("zentrel"));
    if (!QFile::copy(program, copy))
        qWarning("cannot copy %s", qPrintable(program));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cacheFolder);
    m_process.setProcessEnvironment(environment);
    m_process.setWorkingDirectory(m_dir.path());
    // Files, not pipes: nobody reads a pipe while the benchmark floods, and a
    // full one would stop the program.
    m_process.setStandardOutputFile(m_dir.filePath(QStringLiteral("output.txt")));
    m_process.setStandardErrorFile(m_dir.filePath(errorsFile()));
    // Should the benchmark die, the program goes too, as at the end of a session.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process.start(copy, {});
    if (!m_process.waitForStarted(5000))
        qWarning("cannot start %s", qPrintable(copy));
}

ChildProgram::~ChildProgram()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool ChildProgram::waitForPort(int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        if (!livesOn(50))
            return false;
        if (openFiles().contains(m_portPath))
            return true;
    }
    return false;
}

QStringList ChildProgram::openFiles() const
{
    const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(m_process.processId()));
    QStringList targets;
    const auto links =
        descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &link : links)
        targets << QFile::symLinkTarget(descriptors.filePath(link));
    return targets;
}

bool ChildProgram::livesOn(int milliseconds)
{
    m_process.waitForFinished(milliseconds);
    return m_process.state() == QProcess::Running;
}

qint64 ChildProgram::memory(const char *field) const
{
    QFile status(QStringLiteral("/proc/%1/status").arg(m_process.processId()));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    return statusNumber(status.readAll(), field).value_or(0) * 1024;
}

bool ChildProgram::end(int timeoutMs)
{
    if (m_process.state() != QProcess::Running)
        return false;
    ::kill(pid_t(m_process.processId()), SIGTERM);
    if (m_process.waitForFinished(timeoutMs))
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    m_process.kill();
    m_process.waitForFinished(5000);
    return false;
}

QString ChildProgram::errors() const
{
    QFile file(m_dir.filePath(errorsFile()));
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll().right(3000))
                                          : QString();
}

} // namespace zentrel::bench
