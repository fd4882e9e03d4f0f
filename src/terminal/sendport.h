#pragma once

#include "terminal/commandport.h"

#include <QByteArray>
#include <QString>

namespace zentrel {

// How one send ended.
enum class SendOutcome { Sent, NoPort, NoUnitId, LineError };

// What the operator is told of an outcome on that port; nothing for Sent.
QString sendOutcomeMessage(SendOutcome outcome, const QString &portText);

// What Rapid Fire needs of the main window: the last command, how much still
// waits for the line, the addressing flag, and a send whose failure the
// caller tells (or not) itself.
class SendPort : public CommandPort
{
public:
    virtual const QByteArray &LastCommand() const = 0;
    virtual qint64 pendingOutput() = 0;
    virtual bool IDAllowed() const = 0;
    virtual void setIDAllowed(bool allowed) = 0;
    virtual SendOutcome send(QByteArray text) = 0;
    virtual void report(SendOutcome outcome) = 0;
};

} // namespace zentrel
