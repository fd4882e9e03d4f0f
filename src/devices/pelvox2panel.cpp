#include "devices/pelvox2panel.h"

namespace zentrel {

Pelvox2Panel::Pelvox2Panel(CommandPort &port, QWidget *parent) : DevicePanel("Pelvox2Frame", port, parent) {}

} // namespace zentrel
