#pragma once

#include <QString>

namespace zentrel::sim {

// The directory Zentrel keeps ports/ and its settings in, for a copy that
// lives in `programDirectory`: that directory while the user may write it,
// otherwise the user's data directory for Zentrel (the program makes the
// same choice).
QString programDirectoryFor(const QString &programDirectory);

// The zentrel program is installed and built beside this one.
QString defaultProgramDirectory();

// The link ports/COM<n> that pins port n of the program to the simulated
// device; removed again when the pin ends, unless something else has taken
// its place meanwhile. A number that already pins a device is not taken over,
// except a stale link to a pseudo-terminal that is gone.
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
};

} // namespace zentrel::sim
