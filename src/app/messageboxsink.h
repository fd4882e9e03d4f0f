#pragma once

#include "terminal/messagesink.h"

namespace zentrel {

// Operator messages as modal boxes: exclamation icon, one OK button.
class MessageBoxSink : public MessageSink
{
public:
    void showMessage(const QString &text, const QString &title) override;
};

} // namespace zentrel
