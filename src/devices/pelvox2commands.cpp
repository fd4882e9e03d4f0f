#include "devices/pelvox2commands.h"

#include "devices/asciicommand.h"
#include "devices/validation.h"

namespace zentrel::pelvox2 {

namespace {

constexpr int kHighestNewUnitId = 126;

struct AddressParameter
{
    const char *name;
    const char *code;
    const char *invalid;
};

constexpr AddressParameter kAddressParameters[] = {
    {"IP Address", "IP", "Invalid IP Address!"},
    {"Gateway Address", "GW", "Invalid Gateway Address!"},
    {"Subnet Mask", "SM", "Invalid Subnet Mask!"},
};

} // namespace

CommandResult dhcp()
{
    return ascii::terminated("DHCPIP");
}

CommandResult sampleRate(const QString &rate)
{
    return ascii::chosen(rate,
                         {{"Auto", "0AR"},
                          {"32KHz", "1AR"},
                          {"44.1KHz", "2AR"},
                          {"48KHz", "3AR"},
                          {"AC-3", "4AR"},
                          {"Next File", "5AR"}},
                         QStringLiteral("Select audio sample rate!"));
}

CommandResult request(const QString &information)
{
    return ascii::chosen(information,
                         {{"Unit ID", "ID"},
                          {"IP Address", "IP"},
                          {"Gateway Address", "GW"},
                          {"Subnet Mask", "SM"},
                          {"File List", "LS"},
                          {"Firmware Version", "?V"},
                          {"Current File", "?C"},
                          {"Current Mode", "?P"}},
                         QStringLiteral("Select information to request!"));
}

CommandResult set(const QString &parameter, const QString &value)
{
    auto nothingChosen = CommandResult::refuse(QStringLiteral("Select parameter to set!"));
    if (parameter.isEmpty())
        return nothingChosen;
    if (value.isEmpty())
        return CommandResult::refuse(QStringLiteral("Enter new parameter setting!"));
    if (parameter == validation::kUnitIdParameter) {
        if (value.size() > validation::kNewUnitIdLength ||
            !validation::plainNumber(value, kHighestNewUnitId))
            return CommandResult::refuse(QStringLiteral("Invalid new Unit ID!"));
        return ascii::terminated(value.toLatin1() + "ID");
    }
    for (const auto &address : kAddressParameters) {
        if (parameter != QLatin1StringView(address.name))
            continue;
        if (!ValidIP(value))
            return CommandResult::refuse(QString::fromLatin1(address.invalid));
        return ascii::terminated(value.toLatin1() + address.code);
    }
    return nothingChosen;
}

} // namespace zentrel::pelvox2
