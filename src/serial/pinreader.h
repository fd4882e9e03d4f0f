#pragma once

#include "serial/networkpin.h"

#include <QString>
#include <QStringList>

// What the files in ports/ say about a port number. A link ports/COM<n>
// pins n to whatever device it leads to; a plain file names a port of a
// serial device server; and the simulator leaves ports/COM<n>.sim beside its
// link, naming its process, so a pin it left behind when killed can be told
// from the pin of one that runs.
namespace zentrel::com {

QString pinPath(int n);

// A pin that is a link, followed through the links behind it as they stand now.
struct Chain
{
    bool linked = false;
    // Every link's place, inode, change time and target (and the simulator's
    // marker): what changes when the link is pointed elsewhere.
    QString signature;
    // The canonical end; empty when the chain dangles.
    QString node;
    // Where the links and the node live (or their nearest existing parents).
    QStringList folders;
    bool staleSimulator = false;
};

Chain readChain(const QString &link);

struct Pin
{
    enum class Kind { None, Link, Network };
    Kind kind = Kind::None;
    // A network pin's server, or why its file names none.
    NetworkPin server;
};

// A plain file is a network pin; a link, or anything else that is not a
// plain file, pins a device.
Pin readPin(int n);

// The path itself when it is a folder, else its nearest existing parent.
QString existingFolder(QString path);

} // namespace zentrel::com
