#include "showctl/showctlpanel.h"

#include <QComboBox>

namespace zentrel {

ShowCtlPanel::ShowCtlPanel(CommandPort &port, QWidget *parent)
    : DevicePanel("EightBitFrm", port, parent)
{
    TargetAdrCmb = new QComboBox(this);
    TargetAdrCmb->setObjectName(QStringLiteral("TargetAdrCmb"));
}

} // namespace zentrel
