#include "orbalitedevice.h"

#include "bytetext.h"

namespace zentrel::sim {

namespace {

struct Plain
{
    const char *code;
    const char *meaning;
    const char *value; // the answer of a request; null for a command
};

constexpr Plain kPlain[] = {
    {"PL", "play", nullptr},
    {"PA", "pause", nullptr},
    {"RJ", "stop", nullptr},
    {"LP", "loop play", nullptr},
    {"FO", "format the drive", nullptr},
    {"XX", "soft reset", nullptr},
    {"?D", "file list request", "SONG1.MP3\rSONG2.MP3\rJINGLE.MP3"},
    {"?R", "total storage request", "131072 KB"},
    {"?V", "firmware version request", "ORBALITE SIM 1.0"},
};

// Two 8.3 names without their dots, joined: at least a character and an
// extension character each, at most twice eleven.
constexpr qsizetype kShortestRename = 4;
constexpr qsizetype kLongestRename = 22;

} // namespace

AsciiDevice::Answer OrbaliteDevice::respond(const QByteArray &argument, const QByteArray &code)
{
    const QString codeText = QString::fromLatin1(code);
    for (const auto &plain : kPlain) {
        if (code != plain.code)
            continue;
        if (!argument.isEmpty())
            return refuse(QStringLiteral("%1 takes no argument").arg(codeText));
        const QString meaning = QStringLiteral("%1 %2").arg(codeText, plain.meaning);
        return plain.value ? value(meaning, plain.value) : done(meaning);
    }
    if (code == "SE") {
        if (!isDigits(argument, 1, 5))
            return refuse(QStringLiteral("SE needs a file number"));
        return done(QStringLiteral("SE search to file %1").arg(QString::fromLatin1(argument)));
    }
    if (code == "AD") {
        if (!isDigits(argument, 1, 1))
            return refuse(QStringLiteral("AD needs a digit 0 to 9"));
        const int step = argument.toInt();
        return done(step == 0   ? QStringLiteral("AD mute")
                    : step == 1 ? QStringLiteral("AD unmute")
                                : QStringLiteral("AD volume step %1").arg(step));
    }
    if (code == "RN") {
        const bool printable = std::all_of(argument.begin(), argument.end(),
                                           [](char c) { return c > ' ' && c < 0x7F; });
        if (!printable || argument.size() < kShortestRename || argument.size() > kLongestRename)
            return refuse(QStringLiteral("RN needs two file names"));
        return done(QStringLiteral("RN rename files %1").arg(visible(argument)));
    }
    return unknown(argument + code);
}

} // namespace zentrel::sim
