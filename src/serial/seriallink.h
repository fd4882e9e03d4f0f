#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QTimer>

class QSocketNotifier;

namespace zentrel {

// The serial line of the main window: one port at a time, fixed at 9600
// baud 8N1 without handshaking, reporting received bytes through a signal.
// A line that fails (peer hung up, adapter unplugged) is closed at once and
// quietly, keeping what arrived before it; the next send reopens it.
class SerialLink : public QObject
{
    Q_OBJECT

public:
    explicit SerialLink(QObject *parent = nullptr);

    int portNumber() const { return m_portNumber; }
    void setPortNumber(int n) { m_portNumber = n; }

    bool isOpen() const { return m_port.isOpen(); }
    bool open();
    void close();

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

private:
    void readWaiting();
    QSocketNotifier *readNotifier() const;
    void resumeReading();
    void onError(QSerialPort::SerialPortError error);

    // A 9600-baud 8N1 line carries 960 bytes a second.
    static constexpr qint64 kLineBytesPerSecond = 960;
    qint64 lineBacklog() const;

    QSerialPort m_port;
    QTimer m_readPause;
    // When the line would have carried the last byte written, in
    // nanoseconds of m_lineClock.
    QElapsedTimer m_lineClock;
    qint64 m_lineFreeAt = 0;
    int m_portNumber = 1;
    bool m_failing = false;
};

} // namespace zentrel
