#pragma once

#include "serial/portaccess.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QSerialPort>
#include <QTimer>

class QSocketNotifier;

namespace zentrel {

// The serial line of the main window: one port at a time, fixed at 9600
// baud 8N1 without handshaking, reporting received bytes through a signal.
// A line that fails (peer hung up, adapter unplugged) is closed at once and
// quietly, keeping what arrived before it; then the link waits, cheaply, for
// the same device to come back and reopens it silently, until another port
// is chosen or the link is closed. Meanwhile a send reopens it only when the
// device is back.
class SerialLink : public QObject
{
    Q_OBJECT

public:
    explicit SerialLink(QObject *parent = nullptr);

    int portNumber() const { return m_portNumber; }
    void setPortNumber(int n) { m_portNumber = n; }

    bool isOpen() const { return m_port.isOpen(); }
    // Locks are judged before the device is opened (serial/portaccess.h).
    bool open();
    // Why the last open failed, when that can be told; none after a success.
    const com::Refusal &refusal() const { return m_refusal; }
    // Closes the port and ends any wait for its device.
    void close();
    bool isWaiting() const { return m_waiting; }

    // Hands all of text to the line; false when the port is closed or refuses it.
    bool write(const QByteArray &text);

    // Bytes written but not yet on the wire: the port's own queue plus the
    // device's output buffer, or what a 9600-baud line would still be
    // carrying of them, whichever is more.
    qint64 pendingOutput() const;

Q_SIGNALS:
    void received(const QByteArray &bytes);
    // The line failed and was closed; sent once per failure.
    void lineFailed();
    // The device came back and the port reopened by itself.
    void reopened();

private:
    void readWaiting();
    QSocketNotifier *readNotifier() const;
    void resumeReading();
    void onError(QSerialPort::SerialPortError error);
    bool openOn(const QString &path);
    void startWaiting();
    void stopWaiting();
    // One look for the device while waiting; true when the port reopened.
    bool lookAgain();
    void watch(const QStringList &folders);

    // A 9600-baud 8N1 line carries 960 bytes a second.
    static constexpr qint64 kLineBytesPerSecond = 960;
    qint64 lineBacklog() const;

    QSerialPort m_port;
    QTimer m_readPause;
    QFileSystemWatcher m_watcher;
    QTimer m_soon;     // gathers a burst of folder changes into one look
    QTimer m_fallback; // in case a change escapes the watcher
    QElapsedTimer m_lastLook;
    QElapsedTimer m_lastAttempt;
    bool m_waiting = false;
    // When the line would have carried the last byte written, in
    // nanoseconds of m_lineClock.
    QElapsedTimer m_lineClock;
    qint64 m_lineFreeAt = 0;
    int m_portNumber = 1;
    bool m_failing = false;
    com::Refusal m_refusal;
};

} // namespace zentrel
