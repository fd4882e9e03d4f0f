#pragma once

#include "devices/devicepanel.h"

namespace zentrel {

class PelvoxHDPanel : public DevicePanel
{
    Q_OBJECT

public:
    PelvoxHDPanel(CommandPort &port, QWidget *parent);
};

} // namespace zentrel
