#pragma once

#include "devices/devicepanel.h"

namespace zentrel {

class Pelvox2Panel : public DevicePanel
{
    Q_OBJECT

public:
    Pelvox2Panel(CommandPort &port, QWidget *parent);
};

} // namespace zentrel
