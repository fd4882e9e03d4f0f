#pragma once

#include "devices/devicepanel.h"

namespace zentrel {

class OrbalitePanel : public DevicePanel
{
    Q_OBJECT

public:
    OrbalitePanel(CommandPort &port, QWidget *parent);
};

} // namespace zentrel
