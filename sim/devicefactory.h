#pragma once

#include "simdevice.h"

#include <QStringList>

#include <memory>

namespace zentrel::sim {

// The device families the simulator can play, by their option names.
QStringList familyNames();

// The highest unit ID (ASCII families) or address (show controller) a
// family answers to.
int highestUnit(const QString &family);

// Null for a family name that is not one of familyNames().
std::unique_ptr<SimDevice> makeDevice(const QString &family, int unit);

} // namespace zentrel::sim
