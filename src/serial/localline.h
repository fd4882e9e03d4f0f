#pragma once

#include "serial/line.h"

#include <QElapsedTimer>
#include <QSerialPort>

class QSocketNotifier;

namespace zentrel {

// A serial device of this computer, by its port number: fixed at 9600 baud
// 8N1 without handshaking. It judges lock files before opening, and fails
// once, quietly, on the error storm a hung-up or unplugged device raises.
class LocalLine : public Line
{
    Q_OBJECT

public:
    explicit LocalLine(int portNumber, QObject *parent = nullptr);

    bool open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    bool write(QByteArrayView bytes) override;
    // The port's own queue plus the device's output buffer.
    qint64 unsent() const override;
    QByteArray readAll() override { return m_port.readAll(); }
    void setReading(bool reading) override;
    bool reopen() override;
    QStringList watchFolders() const override { return m_folders; }
    int lookIntervalMs() const override { return 400; }

private:
    bool openOn(const QString &path);
    void onError(QSerialPort::SerialPortError error);
    QSocketNotifier *readNotifier() const;

    int m_portNumber;
    QSerialPort m_port;
    QElapsedTimer m_lastAttempt;
    QStringList m_folders;
    bool m_failing = false;
};

} // namespace zentrel
