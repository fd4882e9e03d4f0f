#pragma once

#include <QByteArray>
#include <QString>

namespace zentrel::test {

// A real pseudo-terminal standing in for a serial device: the program opens
// the slave side through a ports/ link, the test plays the device on the
// master side. The test keeps a slave descriptor of its own so the line does
// not hang up when the program closes its end.
class PseudoTerminal
{
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    // The device's side, for a far end that reads and writes on its own
    // (non-blocking; -1 once unplugged).
    int masterFd() const { return m_master; }

    // Reads what the program wrote, serving the Qt event loop meanwhile,
    // until `expected` bytes arrived or the time is up.
    QByteArray read(qsizetype expected, int timeoutMs = 2000);
    // Whatever arrives within the time, for checks that nothing was sent.
    QByteArray readFor(int milliseconds);

    void write(const QByteArray &bytes);

    // Bytes written by the far end that the program has not read yet.
    int waitingForProgram() const;

    // The device goes away: the master closes, like a cable pulled.
    void unplug();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};

} // namespace zentrel::test
