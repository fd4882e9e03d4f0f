#include "tools/apppath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace zentrel {

namespace {

QString &overridden()
{
    static QString directory;
    return directory;
}

// A copy in a folder the user may write is portable and keeps its files
// beside itself; an installed one (a system directory) keeps them in the
// user's data directory instead. The simulator finds the ports/ folder by
// the same rule.
QString homeOf(const QString &programDirectory)
{
    if (QFileInfo(programDirectory).isWritable())
        return programDirectory;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (data.isEmpty())
        return programDirectory;
    QDir().mkpath(data);
    return data;
}

} // namespace

QString AppPath()
{
    QString directory =
        overridden().isEmpty() ? homeOf(QCoreApplication::applicationDirPath()) : overridden();
    if (!directory.endsWith(u'/'))
        directory.append(u'/');
    return directory;
}

void overrideAppPath(const QString &directory)
{
    overridden() = directory;
}

} // namespace zentrel
