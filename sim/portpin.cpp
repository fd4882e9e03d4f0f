#include "portpin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

namespace zentrel::sim {

namespace {

// Symbolic links resolved, so /bin on a merged-/usr system is /usr/bin.
QString resolved(const QString &directory)
{
    const QFileInfo info(directory);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

QString firstLine(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readLine(256).trimmed())
                                          : QString();
}

// When the process started, in clock ticks after boot; empty when none runs.
QString processStart(const QString &pid)
{
    const QString stat = firstLine(QStringLiteral("/proc/%1/stat").arg(pid));
    const auto fields = stat.mid(stat.lastIndexOf(u')') + 2).split(u' ');
    return fields.size() > 19 ? fields.at(19) : QString();
}

QString bootId()
{
    return firstLine(QStringLiteral("/proc/sys/kernel/random/boot_id"));
}

// The marker ports/COM<n>.sim beside a pin says which simulator made it, so
// the program and a later simulator can tell a pin left by a killed one.
QByteArray markerFor(const QString &target)
{
    const QString pid = QString::number(QCoreApplication::applicationPid());
    return QStringLiteral("pid %1\nstart %2\nboot %3\ntarget %4\n")
        .arg(pid, processStart(pid), bootId(), target)
        .toLocal8Bit();
}

QHash<QString, QString> readMarker(const QString &path)
{
    QHash<QString, QString> fields;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fields;
    for (const auto &line : QString::fromLocal8Bit(file.readAll()).split(u'\n')) {
        const auto space = line.indexOf(u' ');
        if (space > 0)
            fields.insert(line.left(space), line.mid(space + 1));
    }
    return fields;
}

bool markerProcessRuns(const QHash<QString, QString> &marker)
{
    const QString start = processStart(marker.value(QStringLiteral("pid")));
    return !start.isEmpty() && start == marker.value(QStringLiteral("start")) &&
           bootId() == marker.value(QStringLiteral("boot"));
}

} // namespace

QString programDirectoryFor(const QString &programDirectory, const QString &installedBinDirectory)
{
    if (resolved(programDirectory) != resolved(installedBinDirectory))
        return programDirectory;
    // The program names itself "Zentrel" and no organisation, so its data
    // location is the generic one plus that name.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Zentrel");
}

QString defaultProgramDirectory()
{
    return programDirectoryFor(QCoreApplication::applicationDirPath(),
                               QStringLiteral(ZENTREL_INSTALL_BINDIR));
}

bool PortPin::pin(const QString &programDirectory, int port, const QString &target, QString *error)
{
    release();
    const QString ports = QDir(programDirectory).filePath(QStringLiteral("ports"));
    if (!QDir().mkpath(ports)) {
        *error = QStringLiteral("Cannot create %1.").arg(ports);
        return false;
    }
    const QString link = QDir(ports).filePath(QStringLiteral("COM%1").arg(port));
    const QString markerPath = link + QStringLiteral(".sim");
    const QFileInfo existing(link);
    if (existing.isSymLink() || existing.exists()) {
        const QString pinned = existing.symLinkTarget();
        const auto marker = readMarker(markerPath);
        const bool ours = existing.isSymLink() &&
                          marker.value(QStringLiteral("target")) == QFile::symLinkTarget(link);
        if (ours && markerProcessRuns(marker)) {
            *error = QStringLiteral("Port %1 is already pinned by the simulator running as "
                                    "process %2; choose another with --port.")
                         .arg(port)
                         .arg(marker.value(QStringLiteral("pid")));
            return false;
        }
        if (!ours) {
            *error = QStringLiteral("Port %1 is already pinned (%2 -> %3); choose another "
                                    "with --port, or remove that link.")
                         .arg(port)
                         .arg(link, pinned.isEmpty() ? QStringLiteral("a file") : pinned);
            return false;
        }
        // Left by a simulator that was killed outright: ours to replace.
        QFile::remove(link);
    }
    // The marker first, so the program never sees the pin without it.
    QFile markerFile(markerPath);
    m_marker = markerFor(target);
    if (!markerFile.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        markerFile.write(m_marker) != m_marker.size() || !markerFile.flush()) {
        *error = QStringLiteral("Cannot write %1.").arg(markerPath);
        return false;
    }
    markerFile.close();
    if (!QFile::link(target, link)) {
        QFile::remove(markerPath);
        *error = QStringLiteral("Cannot create the link %1.").arg(link);
        return false;
    }
    m_link = link;
    m_target = target;
    return true;
}

void PortPin::release()
{
    if (m_link.isEmpty())
        return;
    if (QFileInfo(m_link).symLinkTarget() == m_target)
        QFile::remove(m_link);
    QFile marker(m_link + QStringLiteral(".sim"));
    if (marker.open(QIODevice::ReadOnly) && marker.readAll() == m_marker) {
        marker.close();
        marker.remove();
    }
    m_link.clear();
    m_target.clear();
}

} // namespace zentrel::sim
