#pragma once

#include "serial/portaccess.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QStringList>

namespace zentrel {

// One serial line behind the link, whatever carries it: a device of this
// computer or a connection to a serial device server. The link, and through
// it the sender, the log, Rapid Fire's pacing and the reconnect, see only
// this.
class Line : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Opens now, or says why not in refusal().
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Hands all of bytes to the line; false when it refuses them.
    virtual bool write(QByteArrayView bytes) = 0;
    // Bytes handed to the line that have not yet left this computer.
    virtual qint64 unsent() const = 0;
    virtual QByteArray readAll() = 0;
    // Holds reading off while a trickle gathers, and takes it up again.
    virtual void setReading(bool reading) = 0;

    // After a failure: one look for the far end; true once the line is open
    // again. A line may also come back by itself (reopened).
    virtual bool reopen() = 0;
    // Folders whose change is worth a look while waiting.
    virtual QStringList watchFolders() const { return {}; }
    // How often to look while nothing else gives a sign.
    virtual int lookIntervalMs() const = 0;

    // Why the line is not open, when that can be told.
    const com::Refusal &refusal() const { return m_refusal; }

Q_SIGNALS:
    void readyRead();
    // The line failed and closed, once per failure; what arrived before was
    // offered through readyRead first.
    void failed();
    // Open again after a failure without a look asking for it.
    void reopened();

protected:
    com::Refusal m_refusal;
};

} // namespace zentrel
