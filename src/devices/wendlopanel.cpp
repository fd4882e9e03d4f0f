#include "devices/wendlopanel.h"

namespace zentrel {

WendloPanel::WendloPanel(CommandPort &port, QWidget *parent) : DevicePanel("WendloFrame", port, parent) {}

} // namespace zentrel
