#pragma once

#include "serial/com.h"

#include <QList>
#include <QString>
#include <QStringList>

// Whether a port may be taken now, and if not, why, in words the operator
// can act on. Lock files are judged here, before anything is opened: Qt's
// own open takes a lock it cannot read the holder of (another user's
// process) for a dead one and removes it.
namespace zentrel::com {

struct Refusal
{
    enum class Reason {
        None,
        Missing,    // no device, or not a terminal: not worth telling
        Busy,       // held exclusively by another program
        Gone,       // the device went away; the port opens again by itself when it is back
        Permission, // the device's mode keeps this user out
        Locked,     // a lock file names a live process
        DeadLock,   // a lock file of a process gone, which this user may not remove
        // A port on a serial device server, and a pin that names none:
        Refused,      // the server refused the connection
        NoRoute,      // no way to the server (detail: the system's words)
        TimedOut,     // the server did not answer in time
        NameNotFound, // the server's name is unknown (detail: the name)
        InUse,        // the server accepted, then closed (detail: its words, if any)
        Dropped,      // an open connection ended (detail: how)
        InvalidPin,   // a file in ports/ that names no server (detail: why)
    };
    Reason reason = Reason::None;
    int port = -1;
    QString device;
    QString group;   // Permission: the group that may use the device
    qint64 pid = 0;  // Locked: the holder
    QString program; // Locked: the holder's name, when it can be read
    QString lockFile;
    QString detail;

    bool refused() const { return reason != Reason::None; }
    // Permission, lock files and servers are the operator's to mend, so they
    // are told.
    bool told() const { return reason >= Reason::Permission; }
};

// What a lock file on the device means: a lock of a live process refuses,
// whoever owns the file; a lock of a process that no longer runs is removed
// when this user may, and refuses otherwise.
Refusal checkLocks(int n, const QString &devicePath);

// The full probe of port n: locks first, then the device itself; for a
// port on a server, a connection made and closed again.
Refusal checkPort(int n);

// The device alone, its locks already judged: a non-blocking open that is
// closed again at once, and whether another program holds it exclusively.
Refusal checkDevice(int n, const QString &devicePath);

// A failed open of the device, explained when its mode is what keeps this
// user out; nothing to tell otherwise.
Refusal permissionRefusal(int n, const QString &devicePath);

struct ProbeRound
{
    QList<int> openable;
    QList<Refusal> told;
};
// Every port number, the servers all at once. The main window's round comes
// right after the splash's: servers asked less than kServerAnswerMs before
// by a round are not asked again.
ProbeRound probeRound();
inline constexpr int kServerAnswerMs = 2000;

// One line per refusal, then one remedy per group: the informative text
// under the message a refused open raises.
QString explain(const QList<Refusal> &refusals);

// The folders lock files are looked for in: those Qt's serial port uses.
QStringList lockFolders();
// Lets a test keep its lock files in folders of its own; empty restores the
// system's.
void overrideLockFolders(const QStringList &folders);

} // namespace zentrel::com
