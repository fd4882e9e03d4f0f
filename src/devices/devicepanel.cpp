#include "devices/devicepanel.h"

namespace zentrel {

DevicePanel::DevicePanel(const char *frameName, CommandPort &port, QWidget *parent)
    : QFrame(parent), m_port(port)
{
    setObjectName(QString::fromLatin1(frameName));
    setGeometry(kPlace.toPixels());
    setFrameShape(QFrame::NoFrame);
}

} // namespace zentrel
