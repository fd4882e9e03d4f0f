#include "terminal/sendport.h"

namespace zentrel {

QString sendOutcomeMessage(SendOutcome outcome, const QString &portText)
{
    switch (outcome) {
    case SendOutcome::Sent:
        break;
    case SendOutcome::NoPort:
        return QStringLiteral("Select COMM port!");
    case SendOutcome::NoUnitId:
        return QStringLiteral("Select unit ID!");
    case SendOutcome::LineError:
        return QStringLiteral("Error on COM%1, port may be in use already!").arg(portText);
    }
    return {};
}

} // namespace zentrel
