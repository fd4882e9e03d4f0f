#include "tools/apppath.h"

#include <QCoreApplication>

namespace zentrel {

namespace {
QString &overridden()
{
    static QString directory;
    return directory;
}
} // namespace

QString AppPath()
{
    QString directory =
        overridden().isEmpty() ? QCoreApplication::applicationDirPath() : overridden();
    if (!directory.endsWith(u'/'))
        directory.append(u'/');
    return directory;
}

void overrideAppPath(const QString &directory)
{
    overridden() = directory;
}

} // namespace zentrel
