#pragma once

#include "terminal/commandresult.h"
#include "terminal/messagesink.h"

#include <QByteArray>

namespace zentrel {

// What a panel needs of the main window: one way out to the line and one way
// to talk to the operator.
class CommandPort
{
public:
    virtual ~CommandPort() = default;
    virtual void SendCommand(QByteArray text) = 0;
    virtual MessageSink &messages() = 0;

    // Shows the refusal, or sends the bytes; silent when there is neither.
    void deliver(const CommandResult &result)
    {
        if (result.refused())
            messages().show(result.refusal);
        else if (!result.bytes.isEmpty())
            SendCommand(result.bytes);
    }
};

} // namespace zentrel
