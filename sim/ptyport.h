#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace zentrel::sim {

// The simulator's end of the line: the master side of a pseudo-terminal,
// whose slave side the program opens as a serial port. A slave descriptor of
// our own stays open all along, so the master never sees a hang-up when the
// program opens and closes the port (or probes it).
class PtyPort : public QObject
{
    Q_OBJECT

public:
    explicit PtyPort(QObject *parent = nullptr);
    ~PtyPort() override;

    bool open(QString *error);
    QString slavePath() const { return m_slavePath; }

    // False when the line would not take all of it (the program is not
    // reading and the buffer is full).
    bool write(const QByteArray &bytes);

    // Bytes written to the program that it has not read yet.
    int unreadByProgram() const;
    // Forgets them, as a line with no one listening would.
    void dropUnread();

Q_SIGNALS:
    void received(const QByteArray &bytes);

private:
    void readWaiting();

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace zentrel::sim
