#include "devices/pelvoxhdpanel.h"

namespace zentrel {

PelvoxHDPanel::PelvoxHDPanel(CommandPort &port, QWidget *parent) : DevicePanel("PelvoxHDFrame", port, parent) {}

} // namespace zentrel
