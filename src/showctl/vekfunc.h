#pragma once

#include <QByteArray>

namespace zentrel {

// The show controller's packet checksum: one byte, the sum of every byte of
// `text` modulo 256.
QByteArray CalcChecksum(const QByteArray &text);

} // namespace zentrel
