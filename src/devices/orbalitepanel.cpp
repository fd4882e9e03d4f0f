#include "devices/orbalitepanel.h"

namespace zentrel {

OrbalitePanel::OrbalitePanel(CommandPort &port, QWidget *parent) : DevicePanel("MP3Frame", port, parent) {}

} // namespace zentrel
