#pragma once

#include <QString>

namespace zentrel {

inline const QString kAppTitle = QStringLiteral("Zentrel Vorlinker");

// Where operator messages go: a modal box in the program, a recorder in tests.
// Whoever shows one must expect the event loop to keep running until it is
// dismissed. The informative text, when there is one, says why, under the
// message.
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    virtual void showMessage(const QString &text, const QString &title,
                             const QString &informative) = 0;

    void show(const QString &text, const QString &informative = {})
    {
        showMessage(text, kAppTitle, informative);
    }
};

} // namespace zentrel
