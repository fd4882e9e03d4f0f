#pragma once

#include "serial/portaccess.h"
#include "serial/reconnectwatcher.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace zentrel {

class Line;

// The serial line of the main window: one port at a time, fixed at 9600
// baud 8N1 without handshaking, reporting received bytes through a signal.
// A port is a device of this computer or a port of a serial device server
// (serial/line.h); both behave alike. A line that fails (peer hung up,
// adapter unplugged, server gone) is closed at once and quietly, keeping
// what arrived before it; then the link waits, cheaply, for the same far end
// to come back and reopens it silently, until another port is chosen or the
// link is closed. Meanwhile a send reopens it only when the far end is back.
class SerialLink : public QObject
{
    Q_OBJECT

public:
    explicit SerialLink(QObject *parent = nullptr);
    ~SerialLink() override;

    int portNumber() const { return m_portNumber; }
    void setPortNumber(int n) { m_portNumber = n; }

    bool isOpen() const;
    // Locks are judged before a device is opened (serial/portaccess.h); a
    // server has its say before its port counts as open.
    bool open();
    // Why the last open failed, when that can be told; none after a success.
    const com::Refusal &refusal() const { return m_refusal; }
    // Closes the port and ends any wait for its far end.
    void close();
    bool isWaiting() const { return m_watcher.isWaiting(); }

    // Hands all of text to the line; false when the port is closed or refuses it.
    bool write(const QByteArray &text);

    // Bytes written but not yet on the wire: what the line has not sent yet,
    // or what a 9600-baud line would still be carrying of them, whichever is
    // more.
    qint64 pendingOutput() const;

Q_SIGNALS:
    void received(const QByteArray &bytes);
    // The line failed and was closed; sent once per failure.
    void lineFailed();
    // The far end came back and the port reopened by itself.
    void reopened();

private:
    void readWaiting();
    void resumeReading();
    void onLineFailed();
    void onLineReopened();
    // One look for the far end while waiting; true when the port reopened.
    bool lookAgain();
    void restartLineClock();

    // A 9600-baud 8N1 line carries 960 bytes a second.
    static constexpr qint64 kLineBytesPerSecond = 960;
    qint64 lineBacklog() const;

    Line *m_line = nullptr;
    // A child, so that what watches the link can find it.
    ReconnectWatcher m_watcher{this};
    QTimer m_readPause;
    // When the line would have carried the last byte written, in
    // nanoseconds of m_lineClock.
    QElapsedTimer m_lineClock;
    qint64 m_lineFreeAt = 0;
    int m_portNumber = 1;
    com::Refusal m_refusal;
};

} // namespace zentrel
