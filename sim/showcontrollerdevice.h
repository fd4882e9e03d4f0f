#pragma once

#include "packetreader.h"
#include "simdevice.h"

#include <array>
#include <optional>

namespace zentrel::sim {

// A show controller on the packet protocol. It checks each packet's frame
// (start byte, length, checksum) and its command; a packet it cannot trust
// is answered with NACK whatever its response mode, one addressed to another
// controller is ignored, and a good one is carried out and answered as its
// response mode asks: not at all, ACK, or a short message then ACK.
class ShowControllerDevice : public SimDevice
{
public:
    static constexpr char kAck = 0x06;
    static constexpr char kNack = 0x15;
    static constexpr int kVariables = 26;
    static constexpr int kOutputsAndFlags = 128;

    explicit ShowControllerDevice(int address) : m_address(address) {}

    QList<Exchange> feed(QByteArrayView bytes) override;
    QList<Exchange> lineIdle() override;
    QString identity() const override;

    // The sum of the bytes from the target address to the last data byte.
    static char checksum(QByteArrayView packetWithoutChecksum);

private:
    struct Outcome
    {
        QString text;
        QByteArray message; // sent before the ACK when the response mode asks for one
    };

    QList<Exchange> take(const QList<PacketReader::Piece> &pieces);
    Exchange takePacket(const QByteArray &packet);
    // What a command with its data does, or why it is refused.
    std::optional<Outcome> carryOut(uchar opcode, QByteArrayView data, QString *refusal);
    Outcome carryOutVariable(uchar opcode, QByteArrayView data);

    int m_address;
    PacketReader m_reader;
    std::array<uchar, kVariables> m_variables = {};
    std::array<bool, kOutputsAndFlags> m_states = {};
};

} // namespace zentrel::sim
