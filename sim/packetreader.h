#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace zentrel::sim {

// Cuts the show controller's byte stream into packets: a start byte, target,
// response mode and length, then as many body bytes as the length says and a
// checksum. Bytes before a start byte are junk; a packet the line leaves
// unfinished is cut short when the line goes quiet.
class PacketReader
{
public:
    static constexpr char kStartByte = char(0xF5);
    static constexpr qsizetype kHeaderSize = 4; // start, target, response, length

    struct Piece
    {
        enum Kind { Packet, Junk, CutShort };
        Kind kind;
        QByteArray bytes;
    };

    QList<Piece> feed(QByteArrayView bytes);
    QList<Piece> lineIdle();

private:
    QByteArray m_pending;
};

} // namespace zentrel::sim
