#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The rules of the main window's port list, apart from the widget.
namespace zentrel::portlist {

// The entries, one per port number that could be opened, in order.
QStringList entries(const QList<int> &portNumbers);

// Where the search for the saved port ends: the entry that matches the saved
// value whole, else the last entry. Nothing when the list is empty or the
// value does not start with a digit: the selection stays as it is.
std::optional<int> savedPortIndex(const QStringList &entries, const QString &saved);

// After the port refusedText failed to open: the entry to fall back to, the
// one of the port still held (-1, no entry, when it is not listed). Nothing
// when the refused port is the one held: trying it again would only repeat
// the message.
std::optional<int> fallbackIndex(const QStringList &entries, int heldPort,
                                 const QString &refusedText);

} // namespace zentrel::portlist
