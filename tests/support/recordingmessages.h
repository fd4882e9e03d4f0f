#pragma once

#include "terminal/messagesink.h"

#include <QList>
#include <QStringList>

#include <functional>

namespace zentrel::test {

// Stands in for the message box: remembers every message instead of
// blocking on a dialog. `whileShown` runs as if the box were open, for
// tests of what happens meanwhile.
class RecordingMessages : public MessageSink
{
public:
    struct Message
    {
        QString text;
        QString title;
        QString informative;
    };

    void showMessage(const QString &text, const QString &title, const QString &informative) override
    {
        shown.append({text, title, informative});
        if (whileShown)
            whileShown();
    }

    QStringList texts() const
    {
        QStringList all;
        for (const auto &message : shown)
            all.append(message.text);
        return all;
    }
    QString last() const { return shown.isEmpty() ? QString() : shown.last().text; }
    void clear() { shown.clear(); }

    QList<Message> shown;
    std::function<void()> whileShown;
};

} // namespace zentrel::test
