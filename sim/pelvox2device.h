#pragma once

#include "asciidevice.h"

namespace zentrel::sim {

// A Pelvox2 video machine: transport, search, mutes, sample rate, its unit
// ID and network settings, status requests and a soft reboot. A new unit ID
// takes effect at once, so later requests must be addressed to it.
class Pelvox2Device : public AsciiDevice
{
public:
    explicit Pelvox2Device(int unitId) : AsciiDevice(QStringLiteral("pelvox2"), unitId) {}

protected:
    Answer respond(const QByteArray &argument, const QByteArray &code) override;

private:
    Answer address(const QByteArray &argument, const QByteArray &code);

    QByteArray m_mode = "RJ";
    QByteArray m_file = "1";
    QByteArray m_ip = "192.168.0.20";
    QByteArray m_gateway = "192.168.0.1";
    QByteArray m_subnet = "255.255.255.0";
};

} // namespace zentrel::sim
