#pragma once

#include "devices/devicepanel.h"

class QComboBox;

namespace zentrel {

class ShowCtlPanel : public DevicePanel
{
    Q_OBJECT

public:
    ShowCtlPanel(CommandPort &port, QWidget *parent);

    QComboBox *TargetAdrCmb = nullptr;
};

} // namespace zentrel
