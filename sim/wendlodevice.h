#pragma once

#include "asciidevice.h"

namespace zentrel::sim {

// An 8Wendlo eight-channel audio player. Most commands name a channel ("1"
// to "8", or "*" for all) as the character before the code, with a sound
// file number (1 to 511 or 1001 to 1511) in front of it where one belongs.
class WendloDevice : public AsciiDevice
{
public:
    explicit WendloDevice(int unitId) : AsciiDevice(QStringLiteral("wendlo"), unitId) {}

    static bool isSoundFile(QByteArrayView number);

protected:
    Answer respond(const QByteArray &argument, const QByteArray &code) override;
};

} // namespace zentrel::sim
