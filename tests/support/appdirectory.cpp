#include "appdirectory.h"

#include "pseudoterminal.h"
#include "serial/com.h"
#include "tools/apppath.h"

#include <QDir>
#include <QFile>

namespace zentrel::test {

AppDirectory::AppDirectory()
{
    overrideAppPath(m_dir.path());
    QDir(m_dir.path()).mkpath(QStringLiteral("ports"));
    for (int n = com::kLowestPort; n <= com::kHighestPort; ++n)
        unpin(n);
}

AppDirectory::~AppDirectory()
{
    overrideAppPath(QString());
}

void AppDirectory::pin(int port, const PseudoTerminal &device)
{
    pin(port, device.slavePath());
}

void AppDirectory::pin(int port, const QString &target)
{
    const auto link = m_dir.filePath(QStringLiteral("ports/COM%1").arg(port));
    QFile::remove(link);
    QFile::link(target, link);
}

void AppDirectory::unpin(int port)
{
    pin(port, m_dir.filePath(QStringLiteral("absent-device")));
}

void AppDirectory::writeIni(const QByteArray &content)
{
    QFile file(m_dir.filePath(QStringLiteral("Zentrel.ini")));
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

QByteArray AppDirectory::readIni() const
{
    QFile file(m_dir.filePath(QStringLiteral("Zentrel.ini")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace zentrel::test
