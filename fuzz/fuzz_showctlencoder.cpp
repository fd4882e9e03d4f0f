// The show controller panel's fields as the encoder gets them: five texts,
// separated here by line feeds, each possibly anything at all.
#include "showctl/showctlencoder.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <cstdlib>

using namespace zentrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<QString> parts = text.split(u'\n');
    showctl::PacketFields fields;
    fields.target = parts.value(0);
    fields.response = parts.value(1);
    fields.command = parts.value(2);
    fields.data1 = parts.value(3);
    fields.data2 = parts.value(4);
    const auto result = showctl::encodePacket(fields);
    if (result.refused() && !result.bytes.isEmpty())
        std::abort();
    // Start byte, target, response, length, body, checksum: the length byte
    // counts the body, and the checksum sums everything between start and it.
    const QByteArray &packet = result.bytes;
    if (packet.isEmpty())
        return 0;
    const auto byte = [&packet](qsizetype i) { return static_cast<unsigned char>(packet.at(i)); };
    if (packet.size() < 6 || byte(0) != 0xF5 || byte(1) > 121)
        std::abort();
    if (byte(3) != packet.size() - 5)
        std::abort();
    unsigned sum = 0;
    for (qsizetype i = 1; i + 1 < packet.size(); ++i)
        sum += byte(i);
    if ((sum & 0xFF) != byte(packet.size() - 1))
        std::abort();
    return 0;
}
