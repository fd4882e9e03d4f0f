#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace zentrel::sim {

// One request the device made sense of (or refused), and what it answers.
struct Exchange
{
    QString report; // the line the simulator prints for it
    QByteArray reply;
};

// A simulated device on the far end of the line: bytes in, answers out. It
// knows nothing of pseudo-terminals or timers; the simulator feeds it what
// arrives and tells it when the line has gone quiet.
class SimDevice
{
public:
    virtual ~SimDevice() = default;

    virtual QList<Exchange> feed(QByteArrayView bytes) = 0;
    // The line has been quiet for a while: a half-received request is over.
    virtual QList<Exchange> lineIdle() { return {}; }

    // What the start-up line says the device is: "pelvox2, unit 1".
    virtual QString identity() const = 0;
};

} // namespace zentrel::sim
