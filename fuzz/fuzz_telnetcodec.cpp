// What a serial device server, or anything that answers in its place, may
// send: any bytes, in pieces split anywhere; and the pin files naming one.
#include "serial/networkpin.h"
#include "serial/telnetcodec.h"

#include <cstdint>
#include <cstdlib>

using namespace zentrel;

namespace {

const QByteArray kGreeting("\xff\xfb\x03\xff\xfd\x03\xff\xfd\x00\xff\xfb\x00\xff\xfd\x2c", 15);

struct Decoded
{
    QByteArray data;
    QByteArray reply;
};

// The first byte gives the pieces' length; 0 feeds it a byte at a time.
Decoded decodeInPieces(QByteArrayView bytes, qsizetype piece)
{
    TelnetCodec codec;
    codec.start();
    Decoded out;
    for (qsizetype at = 0; at < bytes.size(); at += piece)
        out.data += codec.decode(bytes.sliced(at, std::min(piece, bytes.size() - at)), out.reply);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    if (input.isEmpty())
        return 0;
    const QByteArrayView stream = input.sliced(1);
    const Decoded whole = decodeInPieces(stream, std::max<qsizetype>(stream.size(), 1));
    const Decoded pieces =
        decodeInPieces(stream, static_cast<unsigned char>(input.front()) % 7 + 1);
    // However the stream is split, the same data and the same answers.
    if (whole.data != pieces.data || whole.reply != pieces.reply)
        std::abort();
    // Nothing grows beyond the input: data is at most what came in, and
    // each request owes a three-byte answer or the line settings once.
    if (whole.data.size() > stream.size() || whole.reply.size() > 24 * stream.size() + 64)
        std::abort();

    // The line's own bytes survive the wire both ways.
    TelnetCodec sender;
    sender.start();
    QByteArray owed;
    sender.decode(kGreeting, owed);
    TelnetCodec receiver;
    receiver.start();
    receiver.decode(kGreeting, owed);
    if (receiver.decode(sender.encode(stream), owed) != stream)
        std::abort();

    const auto pin = com::parseNetworkPin(stream);
    if (pin.valid() == pin.host.isEmpty() || (pin.valid() && pin.port == 0))
        std::abort();
    return 0;
}
