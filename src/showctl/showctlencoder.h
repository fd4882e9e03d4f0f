#pragma once

#include "terminal/commandresult.h"

#include <QString>

namespace zentrel::showctl {

inline const QString kNoTarget = QStringLiteral("Select target Show Controller address!");
inline const QString kNoResponse = QStringLiteral("Select Show Controller response!");
inline const QString kNoCommand = QStringLiteral("Select Show Controller command!");
inline const QString kMessageTooLong = QStringLiteral("Message too long!");

// The texts of the show controller panel at the moment Send is pressed.
// data1 and data2 are the texts of whatever control the command shows at
// that position; for a position it leaves empty they are never looked at.
struct PacketFields
{
    QString target;
    QString response;
    QString command;
    QString data1;
    QString data2;
};

// The whole packet, start byte to checksum, or the first field the operator
// still has to fill ("Enter " + the data label's caption + "!"). A value
// that none of the panel's lists offers counts as not chosen. A message that
// converts to nothing gives neither bytes nor a refusal; one that does not
// convert gives the notation's own refusal.
CommandResult encodePacket(const PacketFields &fields);

} // namespace zentrel::showctl
