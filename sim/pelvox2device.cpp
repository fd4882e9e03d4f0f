#include "pelvox2device.h"

namespace zentrel::sim {

namespace {

constexpr const char *kSampleRates[] = {"auto",   "32 kHz", "44.1 kHz",
                                        "48 kHz", "AC-3",   "next file"};

} // namespace

AsciiDevice::Answer Pelvox2Device::respond(const QByteArray &argument, const QByteArray &code)
{
    if (const char *meaning = videoTransport(code)) {
        if (!argument.isEmpty())
            return refuse(QStringLiteral("%1 takes no argument").arg(QString::fromLatin1(code)));
        m_mode = code;
        return done(QStringLiteral("%1 %2").arg(QString::fromLatin1(code), meaning));
    }
    if (code == "SE") {
        if (!isDigits(argument, 1, 5))
            return refuse(QStringLiteral("SE needs a file number"));
        m_file = argument;
        return done(QStringLiteral("SE search to file %1").arg(QString::fromLatin1(argument)));
    }
    if (code == "AD" || code == "VD") {
        if (argument != "0" && argument != "1")
            return refuse(QStringLiteral("%1 needs 0 or 1").arg(QString::fromLatin1(code)));
        return done(QStringLiteral("%1 %2 %3")
                        .arg(QString::fromLatin1(code),
                             argument == "0" ? QStringLiteral("mute") : QStringLiteral("unmute"),
                             code == "AD" ? QStringLiteral("audio") : QStringLiteral("video")));
    }
    if (code == "AR") {
        if (!isDigits(argument, 1, 1) || argument.toInt() >= int(std::size(kSampleRates)))
            return refuse(QStringLiteral("AR needs a rate 0 to 5"));
        return done(QStringLiteral("AR audio sample rate %1").arg(kSampleRates[argument.toInt()]));
    }
    if (code == "ID") {
        if (argument.isEmpty())
            return value(QStringLiteral("ID unit ID request"), QByteArray::number(unitId()));
        if (!isDigits(argument, 1, 3) || argument.toInt() > 126)
            return refuse(QStringLiteral("ID needs a unit ID 0 to 126"));
        setUnitId(argument.toInt());
        return done(
            QStringLiteral("ID set unit ID to %1 (answers to it from now on)").arg(unitId()));
    }
    if (code == "IP" || code == "GW" || code == "SM")
        return address(argument, code);
    if (!argument.isEmpty())
        return unknown(argument + code);
    if (code == "XX") {
        m_mode = "RJ";
        return done(QStringLiteral("XX soft reboot"));
    }
    if (code == "LS")
        return value(QStringLiteral("LS file list request"),
                     "00001 INTRO.MPG\r00002 LOOP.MPG\r00012 FINALE.MPG");
    if (code == "?V")
        return value(QStringLiteral("?V firmware version request"), "PELVOX2 SIM 1.0");
    if (code == "?C")
        return value(QStringLiteral("?C current file request"), m_file);
    if (code == "?P")
        return value(QStringLiteral("?P current mode request"), m_mode);
    return unknown(code);
}

AsciiDevice::Answer Pelvox2Device::address(const QByteArray &argument, const QByteArray &code)
{
    QByteArray &setting = code == "IP" ? m_ip : code == "GW" ? m_gateway : m_subnet;
    const QString name = code == "IP"   ? QStringLiteral("IP address")
                         : code == "GW" ? QStringLiteral("gateway address")
                                        : QStringLiteral("subnet mask");
    const QString codeText = QString::fromLatin1(code);
    if (argument.isEmpty())
        return value(QStringLiteral("%1 %2 request").arg(codeText, name), setting);
    if (code == "IP" && argument == "DHCP")
        return done(QStringLiteral("DHCPIP take the IP address from DHCP"));
    if (!isDottedQuad(argument))
        return refuse(QStringLiteral("%1 needs a dotted-quad address").arg(codeText));
    setting = argument;
    return done(
        QStringLiteral("%1 set %2 to %3").arg(codeText, name, QString::fromLatin1(argument)));
}

} // namespace zentrel::sim
