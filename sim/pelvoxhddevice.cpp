#include "pelvoxhddevice.h"

namespace zentrel::sim {

namespace {

constexpr const char *kVideoFormats[] = {
    "1080i",       "1080i25-16:9", "1080i29-16:9", "1080i30-16:9", "720p",       "720p50-16:9",
    "720p59-16:9", "720p60-16:9",  "720p50-4:3",   "720p59-4:3",   "720p60-4:3", "480p",
    "480p59-4:3",  "NTSC",         "480i29-4:3",   "PAL",          "576i25-4:3",
};

struct Switch
{
    const char *code;
    const char *off;
    const char *on;
};

constexpr Switch kSwitches[] = {
    {"AD", "mute audio", "unmute audio"},
    {"DM", "debug mode off", "debug mode on"},
    {"VC", "colour space RGB-HV", "colour space YPbPr"},
};

} // namespace

bool PelvoxHdDevice::isVideoFormat(QByteArrayView name)
{
    return std::any_of(std::begin(kVideoFormats), std::end(kVideoFormats),
                       [name](const char *format) { return name == format; });
}

AsciiDevice::Answer PelvoxHdDevice::respond(const QByteArray &argument, const QByteArray &code)
{
    const QString codeText = QString::fromLatin1(code);
    if (const char *meaning = videoTransport(code)) {
        if (!argument.isEmpty())
            return refuse(QStringLiteral("%1 takes no argument").arg(codeText));
        return done(QStringLiteral("%1 %2").arg(codeText, meaning));
    }
    for (const auto &option : kSwitches) {
        if (code == option.code) {
            if (argument != "0" && argument != "1")
                return refuse(QStringLiteral("%1 needs 0 or 1").arg(codeText));
            return done(
                QStringLiteral("%1 %2").arg(codeText, argument == "0" ? option.off : option.on));
        }
    }
    if (code == "VD") {
        if (argument == "0" || argument == "1")
            return done(QStringLiteral("VD %1 video").arg(argument == "0" ? "mute" : "unmute"));
        const bool quoted =
            argument.size() >= 2 && argument.startsWith('"') && argument.endsWith('"');
        const QByteArray name = quoted ? argument.mid(1, argument.size() - 2) : QByteArray();
        if (!isVideoFormat(name))
            return refuse(QStringLiteral("VD needs 0, 1 or a quoted video format name"));
        return done(QStringLiteral("VD video format %1").arg(QString::fromLatin1(name)));
    }
    if (code == "SE") {
        if (!isDigits(argument, 1, 5))
            return refuse(QStringLiteral("SE needs a file number"));
        return done(QStringLiteral("SE search to file %1").arg(QString::fromLatin1(argument)));
    }
    if (code == "IP") {
        if (argument.isEmpty())
            return value(QStringLiteral("IP IP address request"), m_ip);
        if (!isDottedQuad(argument))
            return refuse(QStringLiteral("IP needs a dotted-quad address"));
        m_ip = argument;
        return done(QStringLiteral("IP set IP address to %1").arg(QString::fromLatin1(argument)));
    }
    if (code == "?V" && argument.isEmpty())
        return value(QStringLiteral("?V OS version request"), "PELVOX/HD SIM OS 2.0");
    return unknown(argument + code);
}

} // namespace zentrel::sim
