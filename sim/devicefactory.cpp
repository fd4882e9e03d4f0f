#include "devicefactory.h"

#include "orbalitedevice.h"
#include "pelvox2device.h"
#include "pelvoxhddevice.h"
#include "showcontrollerdevice.h"
#include "wendlodevice.h"

namespace zentrel::sim {

namespace {
constexpr int kHighestUnitId = 127;
constexpr int kHighestAddress = 121;
} // namespace

QStringList familyNames()
{
    return {QStringLiteral("pelvox2"), QStringLiteral("pelvoxhd"), QStringLiteral("wendlo"),
            QStringLiteral("orbalite"), QStringLiteral("showctl")};
}

int highestUnit(const QString &family)
{
    return family == QLatin1String("showctl") ? kHighestAddress : kHighestUnitId;
}

std::unique_ptr<SimDevice> makeDevice(const QString &family, int unit)
{
    if (family == QLatin1String("pelvox2"))
        return std::make_unique<Pelvox2Device>(unit);
    if (family == QLatin1String("pelvoxhd"))
        return std::make_unique<PelvoxHdDevice>(unit);
    if (family == QLatin1String("wendlo"))
        return std::make_unique<WendloDevice>(unit);
    if (family == QLatin1String("orbalite"))
        return std::make_unique<OrbaliteDevice>(unit);
    if (family == QLatin1String("showctl"))
        return std::make_unique<ShowControllerDevice>(unit);
    return nullptr;
}

} // namespace zentrel::sim
