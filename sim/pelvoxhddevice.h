#pragma once

#include "asciidevice.h"

namespace zentrel::sim {

// A Pelvox/HD video machine: transport, search, mutes, debug mode, output
// colour space and video format (a quoted format name before "VD"), its IP
// address and its operating-system version.
class PelvoxHdDevice : public AsciiDevice
{
public:
    explicit PelvoxHdDevice(int unitId) : AsciiDevice(QStringLiteral("pelvoxhd"), unitId) {}

    static bool isVideoFormat(QByteArrayView name);

protected:
    Answer respond(const QByteArray &argument, const QByteArray &code) override;

private:
    QByteArray m_ip = "192.168.0.30";
};

} // namespace zentrel::sim
