#include "tools/apppath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <utility>

namespace zentrel {

namespace {

QString &overridden()
{
    static QString directory;
    return directory;
}

// Through symbolic links, so /bin on a merged-/usr system is /usr/bin; a
// directory that does not exist compares by its cleaned absolute path.
QString resolved(const QString &directory)
{
    const QFileInfo info(directory);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

} // namespace

QString homeFor(const QString &programDirectory, const QString &installedBinDirectory)
{
    if (resolved(programDirectory) != resolved(installedBinDirectory))
        return programDirectory;
    QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (data.isEmpty())
        return programDirectory;
    QDir().mkpath(data);
    return data;
}

QString AppPath()
{
    QString directory = overridden().isEmpty() ? homeFor(QCoreApplication::applicationDirPath(),
                                                         QStringLiteral(ZENTREL_INSTALL_BINDIR))
                                               : overridden();
    if (!directory.endsWith(u'/'))
        directory.append(u'/');
    return directory;
}

QString overrideAppPath(const QString &directory)
{
    return std::exchange(overridden(), directory);
}

} // namespace zentrel
