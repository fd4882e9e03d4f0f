#include "devices/pelvoxhdcommands.h"

#include "devices/asciicommand.h"
#include "devices/validation.h"

namespace zentrel::pelvoxhd {

namespace {

// The formats the machine knows, in the order the list offers them.
constexpr const char *kVideoFormats[] = {
    "1080i",       "1080i25-16:9", "1080i29-16:9", "1080i30-16:9", "720p",       "720p50-16:9",
    "720p59-16:9", "720p60-16:9",  "720p50-4:3",   "720p59-4:3",   "720p60-4:3", "480p",
    "480p59-4:3",  "NTSC",         "480i29-4:3",   "PAL",          "576i25-4:3",
};

} // namespace

CommandResult ipRequest()
{
    return ascii::terminated("IP");
}

CommandResult debugMode(const QString &option)
{
    return ascii::chosen(option, {{"On", "1DM"}, {"Off", "0DM"}},
                         QStringLiteral("Select Debug Mode option!"));
}

CommandResult colorspace(const QString &space)
{
    return ascii::chosen(space, {{"RGB-HV", "0VC"}, {"YPbPr", "1VC"}},
                         QStringLiteral("Select Colorspace!"));
}

CommandResult videoFormat(const QString &format)
{
    for (const char *known : kVideoFormats) {
        if (format == QLatin1StringView(known))
            return ascii::terminated('"' + QByteArray(known) + "\"VD");
    }
    return CommandResult::refuse(QStringLiteral("Select video format!"));
}

CommandResult setIP(const QString &address)
{
    if (!ValidIP(address))
        return CommandResult::refuse(QStringLiteral("Invalid IP Address!"));
    return ascii::terminated(address.toLatin1() + "IP");
}

} // namespace zentrel::pelvoxhd
