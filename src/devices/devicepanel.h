#pragma once

#include "forms/formtable.h"
#include "terminal/commandport.h"

#include <QFrame>

namespace zentrel {

// One device panel: a frame in the tab page of the main window whose
// buttons turn their fields into command texts and hand them to the sender.
class DevicePanel : public QFrame
{
    Q_OBJECT

public:
    // Every panel frame shares one place on the main window.
    static constexpr Twips kPlace{240, 3960, 7335, 1695};

    DevicePanel(const char *frameName, CommandPort &port, QWidget *parent);

protected:
    void deliver(const CommandResult &result) { m_port.deliver(result); }

    CommandPort &m_port;
};

} // namespace zentrel
