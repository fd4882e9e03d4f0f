#pragma once

#include <QTemporaryDir>

namespace zentrel::test {

class PseudoTerminal;

// A program directory of the test's own: AppPath points at it, and every
// port number starts out pinned to nothing, so only the pseudo-terminals a
// test pins exist, whatever serial hardware the machine has.
class AppDirectory
{
public:
    AppDirectory();
    ~AppDirectory();

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    void pin(int port, const PseudoTerminal &device);
    void pin(int port, const QString &target);
    void unpin(int port); // back to pinned to nothing

    void writeIni(const QByteArray &content);
    QByteArray readIni() const;

private:
    QTemporaryDir m_dir;
};

} // namespace zentrel::test
