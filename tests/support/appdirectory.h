#pragma once

#include "pseudoterminal.h"
#include "serial/com.h"
#include "tools/apppath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace zentrel::test {

// A program directory of the test's own: AppPath points at it, and every
// port number starts out pinned to nothing, so only the pseudo-terminals a
// test pins exist, whatever serial hardware the machine has.
class AppDirectory
{
public:
    AppDirectory() : m_before(overrideAppPath(m_dir.path()))
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("ports"));
        for (int n = com::kLowestPort; n <= com::kHighestPort; ++n)
            unpin(n);
    }
    ~AppDirectory() { overrideAppPath(m_before); }
    AppDirectory(const AppDirectory &) = delete;
    AppDirectory &operator=(const AppDirectory &) = delete;

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    void pin(int port, const PseudoTerminal &device) { pin(port, device.slavePath()); }
    void pin(int port, const QString &target)
    {
        const auto link = m_dir.filePath(QStringLiteral("ports/COM%1").arg(port));
        QFile::remove(link);
        QFile::link(target, link);
    }
    // A plain file in place of the link: the number pinned to a server.
    void pinServer(int port, const QByteArray &content)
    {
        QFile file(m_dir.filePath(QStringLiteral("ports/COM%1").arg(port)));
        file.remove();
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
    }
    // Back to pinned to nothing.
    void unpin(int port) { pin(port, m_dir.filePath(QStringLiteral("absent-device"))); }

    void writeIni(const QByteArray &content)
    {
        QFile file(m_dir.filePath(QStringLiteral("Zentrel.ini")));
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
    }
    QByteArray readIni() const
    {
        QFile file(m_dir.filePath(QStringLiteral("Zentrel.ini")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
    QString m_before;
};

} // namespace zentrel::test
