#include "packetreader.h"

namespace zentrel::sim {

QList<PacketReader::Piece> PacketReader::feed(QByteArrayView bytes)
{
    QList<Piece> pieces;
    for (const char c : bytes) {
        const bool inJunk = !m_pending.isEmpty() && m_pending.front() != kStartByte;
        if (inJunk && c == kStartByte) {
            pieces.append({Piece::Junk, m_pending});
            m_pending.clear();
        }
        m_pending.append(c);
        if (m_pending.front() != kStartByte || m_pending.size() < kHeaderSize)
            continue;
        const qsizetype length = uchar(m_pending.at(kHeaderSize - 1));
        if (m_pending.size() == kHeaderSize + length + 1) {
            pieces.append({Piece::Packet, m_pending});
            m_pending.clear();
        }
    }
    return pieces;
}

QList<PacketReader::Piece> PacketReader::lineIdle()
{
    if (m_pending.isEmpty())
        return {};
    const auto kind = m_pending.front() == kStartByte ? Piece::CutShort : Piece::Junk;
    QList<Piece> pieces = {{kind, m_pending}};
    m_pending.clear();
    return pieces;
}

} // namespace zentrel::sim
