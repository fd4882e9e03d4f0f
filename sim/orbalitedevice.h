#pragma once

#include "asciidevice.h"

namespace zentrel::sim {

// An Orbalite MP3 player: transport, search, mute and volume steps, and its
// file storage (list, total, rename, format), a soft reset and its version.
class OrbaliteDevice : public AsciiDevice
{
public:
    explicit OrbaliteDevice(int unitId) : AsciiDevice(QStringLiteral("orbalite"), unitId) {}

protected:
    Answer respond(const QByteArray &argument, const QByteArray &code) override;
};

} // namespace zentrel::sim
