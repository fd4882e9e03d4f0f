#include "tools/portlist.h"

namespace zentrel::portlist {

QStringList entries(const QList<int> &portNumbers)
{
    QStringList list;
    for (const int n : portNumbers)
        list.append(QString::number(n));
    return list;
}

std::optional<int> savedPortIndex(const QStringList &entries, const QString &saved)
{
    if (entries.isEmpty() || saved.isEmpty() || saved.at(0) < u'0' || saved.at(0) > u'9')
        return std::nullopt;
    const auto index = entries.indexOf(saved);
    return int(index < 0 ? entries.size() - 1 : index);
}

std::optional<int> fallbackIndex(const QStringList &entries, int heldPort,
                                 const QString &refusedText)
{
    const QString held = QString::number(heldPort);
    if (held == refusedText)
        return std::nullopt;
    return int(entries.indexOf(held));
}

} // namespace zentrel::portlist
