#include "serial/pinreader.h"

#include "serial/com.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <sys/stat.h>

namespace zentrel::com {

namespace {

QString firstLine(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readLine(256).trimmed())
                                          : QString();
}

// The start of a process in clock ticks after boot, empty when none runs.
QString processStart(const QString &pid)
{
    const QString stat = firstLine(QStringLiteral("/proc/%1/stat").arg(pid));
    const auto fields = stat.mid(stat.lastIndexOf(u')') + 2).split(u' ');
    return fields.size() > 19 ? fields.at(19) : QString();
}

bool staleSimulatorPin(const QString &link, const QString &target)
{
    QFile marker(link + QStringLiteral(".sim"));
    if (!marker.open(QIODevice::ReadOnly))
        return false;
    QHash<QString, QString> fields;
    for (const auto &line : QString::fromLocal8Bit(marker.readAll()).split(u'\n')) {
        const auto space = line.indexOf(u' ');
        if (space > 0)
            fields.insert(line.left(space), line.mid(space + 1));
    }
    if (fields.value(QStringLiteral("target")) != target)
        return false;
    const QString start = processStart(fields.value(QStringLiteral("pid")));
    return start.isEmpty() || start != fields.value(QStringLiteral("start")) ||
           firstLine(QStringLiteral("/proc/sys/kernel/random/boot_id")) !=
               fields.value(QStringLiteral("boot"));
}

NetworkPin readServer(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        NetworkPin unreadable;
        unreadable.problem = QStringLiteral("the file cannot be read");
        return unreadable;
    }
    return parseNetworkPin(file.read(kMaxNetworkPinSize + 1));
}

} // namespace

QString pinPath(int n)
{
    return portsDirectory() + QStringLiteral("COM%1").arg(n);
}

QString existingFolder(QString path)
{
    while (!path.isEmpty() && path != QStringLiteral("/") && !QFileInfo(path).isDir())
        path = QFileInfo(path).path();
    return path;
}

Chain readChain(const QString &link)
{
    Chain chain;
    chain.folders.append(existingFolder(QFileInfo(link).path()));
    QString at = link;
    for (int hop = 0; hop < 32; ++hop) {
        struct stat status = {};
        if (::lstat(QFile::encodeName(at).constData(), &status) != 0)
            break;
        if (!S_ISLNK(status.st_mode)) {
            chain.node = QFileInfo(at).canonicalFilePath();
            break;
        }
        const QString target = QFileInfo(at).symLinkTarget();
        const QString raw = QFile::symLinkTarget(at);
        if (hop == 0) {
            chain.linked = true;
            chain.staleSimulator = staleSimulatorPin(at, raw);
            // A restarted simulator may get the same node and inode again.
            chain.signature += firstLine(at + QStringLiteral(".sim")) + u'|';
        }
        chain.signature += QStringLiteral("%1 %2 %3.%4 %5|")
                               .arg(at)
                               .arg(status.st_ino)
                               .arg(status.st_ctim.tv_sec)
                               .arg(status.st_ctim.tv_nsec)
                               .arg(target);
        chain.folders.append(existingFolder(QFileInfo(target).path()));
        at = target;
    }
    if (!chain.linked && QFileInfo::exists(link))
        chain.linked = true; // something other than a link in its place
    chain.folders.removeDuplicates();
    return chain;
}

Pin readPin(int n)
{
    const QString path = pinPath(n);
    struct stat status = {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    Pin pin;
    if (S_ISREG(status.st_mode)) {
        pin.kind = Pin::Kind::Network;
        pin.server = readServer(path);
    } else {
        pin.kind = Pin::Kind::Link;
    }
    return pin;
}

} // namespace zentrel::com
