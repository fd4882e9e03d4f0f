#include "portpin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    const QFileInfo existing(link);
    if (existing.isSymLink() || existing.exists()) {
        const QString pinned = existing.symLinkTarget();
        const bool stalePseudoTerminal = existing.isSymLink() && !existing.exists() &&
                                         pinned.startsWith(QStringLiteral("/dev/pts/"));
        if (!stalePseudoTerminal) {
            *error = QStringLiteral("Port %1 is already pinned (%2 -> %3); choose another "
                                    "with --port, or remove that link.")
                         .arg(port)
                         .arg(link, pinned.isEmpty() ? QStringLiteral("a file") : pinned);
            return false;
        }
        QFile::remove(link);
    }
    if (!QFile::link(target, link)) {
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
    m_link.clear();
    m_target.clear();
}

} // namespace zentrel::sim
