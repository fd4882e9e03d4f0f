#pragma once

#include <QByteArray>
#include <QString>

namespace zentrel::sim {

// The directory Zentrel keeps ports/ and its settings in, for a copy that
// stands in `programDirectory`: the user's data directory for Zentrel when
// that is `installedBinDirectory` (an installed copy), otherwise the
// directory itself, writable or not. The program makes the same choice with
// code of its own.
QString programDirectoryFor(const QString &programDirectory, const QString &installedBinDirectory);

// For the zentrel program beside this one, where it is installed and built,
// judged against the bin directory of the prefix both were built for.
QString defaultProgramDirectory();

// The link ports/COM<n> that pins port n of the program to the simulated
// device, with the marker ports/COM<n>.sim naming the process that made it;
// both removed again when the pin ends, unless something else has taken
// their place meanwhile. A number that already pins a device is not taken
// over, nor the pin of a simulator that runs; a simulator's pin whose
// process has ended is.
class PortPin
{
public:
    PortPin() = default;
    ~PortPin() { release(); }
    PortPin(const PortPin &) = delete;
    PortPin &operator=(const PortPin &) = delete;

    bool pin(const QString &programDirectory, int port, const QString &target, QString *error);
    void release();

    QString linkPath() const { return m_link; }

private:
    QString m_link;
    QString m_target;
    QByteArray m_marker;
};

} // namespace zentrel::sim
