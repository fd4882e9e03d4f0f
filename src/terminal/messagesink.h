#pragma once

#include <QString>

class QWidget;

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
    // A message raised by a window of its own, such as a dialog, belongs to
    // that window: modal to it and kept above it, not above the main window
    // it may cover. Sinks without windows need not care.
    virtual void showMessageOver(QWidget *window, const QString &text, const QString &title)
    {
        static_cast<void>(window);
        showMessage(text, title, {});
    }

    void show(const QString &text, const QString &informative = {})
    {
        showMessage(text, kAppTitle, informative);
    }
    void showOver(QWidget *window, const QString &text)
    {
        showMessageOver(window, text, kAppTitle);
    }
};

} // namespace zentrel
