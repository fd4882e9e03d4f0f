#pragma once

#include <QString>

namespace zentrel {

inline const QString kAppTitle = QStringLiteral("Zentrel Vorlinker");

// Where operator messages go: a modal box in the program, a recorder in tests.
// Whoever shows one must expect the event loop to keep running until it is
// dismissed.
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    virtual void showMessage(const QString &text, const QString &title) = 0;

    void show(const QString &text) { showMessage(text, kAppTitle); }
};

} // namespace zentrel
