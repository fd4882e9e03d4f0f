#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

namespace zentrel {

enum class ViewMode { Standard, Mixed, Hex };
enum class Direction { Sent, Received };

inline const QStringList kViewModeNames = {QStringLiteral("Standard"), QStringLiteral("Mixed"),
                                           QStringLiteral("Hex")};

std::optional<ViewMode> viewModeFromText(const QString &text);

// Appends the rendering of bytes to out: control bytes (0 to 31) as "|" in
// Standard view, every escaped byte as "<XX>" otherwise. Bytes 127 to 255
// stay themselves, so the log is Latin-1 throughout.
void renderBytes(QByteArray &out, QByteArrayView bytes, ViewMode mode);

} // namespace zentrel
