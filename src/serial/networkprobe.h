#pragma once

#include "serial/networkpin.h"
#include "serial/portaccess.h"

#include <QAbstractSocket>
#include <QList>

#include <utility>

// Whether servers accept a connection, and why not, in the words the port
// messages use.
namespace zentrel::com {

// How long a connection may take before the server counts as not answering.
inline constexpr int kConnectTimeoutMs = 1000;

// Whether each server accepts a connection now, asked of all at once: each
// connection is closed as soon as it is made, and the whole round takes no
// longer than kConnectTimeoutMs however many servers stay silent. A host
// name is looked up first, which the system's resolver may make longer.
QList<Refusal> probeServers(const QList<std::pair<int, NetworkPin>> &servers);

// Why a connection to port n's server could not be made.
Refusal connectionRefusal(int n, const NetworkPin &server, QAbstractSocket::SocketError error,
                          const QString &text);
Refusal serverRefusal(Refusal::Reason reason, int n, const NetworkPin &server,
                      const QString &detail = {});
// A file in ports/ that names no server: told with the file and what is wrong.
Refusal invalidPin(int n, const NetworkPin &server);

} // namespace zentrel::com
