#pragma once

#include "terminal/commandresult.h"

#include <QString>

#include <initializer_list>

namespace zentrel::ascii {

// One item of a pick-only list and the command text it stands for.
struct ItemCode
{
    const char *item;
    const char *code;
};

// The command text followed by the carriage return every ASCII device
// command ends with.
CommandResult terminated(QByteArray text);

// The code of the chosen item, terminated. A list that shows none of its
// items counts as nothing chosen.
CommandResult chosen(const QString &text, std::initializer_list<ItemCode> items,
                     const QString &nothingChosen);

// Transport and mute commands spoken alike by the machines that have them.
CommandResult play();
CommandResult pause();
CommandResult still();
CommandResult stop();
CommandResult loopPlay();
CommandResult versionRequest();
CommandResult softReboot();
// The file number goes out as typed, leading zeros and all.
CommandResult search(const QString &file);
CommandResult mute(const QString &medium);
CommandResult unmute(const QString &medium);

} // namespace zentrel::ascii
