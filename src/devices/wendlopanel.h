#pragma once

#include "devices/devicepanel.h"

namespace zentrel {

class WendloPanel : public DevicePanel
{
    Q_OBJECT

public:
    WendloPanel(CommandPort &port, QWidget *parent);
};

} // namespace zentrel
