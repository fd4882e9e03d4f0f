#pragma once

#include <QByteArrayView>
#include <QString>

// How the simulator writes bytes in its report lines.
namespace zentrel::sim {

// Printable ASCII as itself, every other byte as <XX>: "1@PL<0D>".
QString visible(QByteArrayView bytes);

// Every byte in hexadecimal, separated by blanks: "F5 01 01 02 02 00 06".
QString hexBytes(QByteArrayView bytes);

} // namespace zentrel::sim
