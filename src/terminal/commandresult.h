#pragma once

#include <QByteArray>
#include <QString>

namespace zentrel {

// What a command builder hands back: the bytes to send, or the operator
// message that refuses them. Neither set means there is nothing to send and
// nothing to say (an empty custom string, say).
struct CommandResult
{
    QByteArray bytes;
    QString refusal;

    static CommandResult send(QByteArray text) { return {std::move(text), {}}; }
    static CommandResult refuse(QString message) { return {{}, std::move(message)}; }

    bool refused() const { return !refusal.isEmpty(); }
};

} // namespace zentrel
