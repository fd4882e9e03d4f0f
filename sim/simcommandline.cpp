#include "simcommandline.h"

#include "devicefactory.h"

namespace zentrel::sim {

namespace {

constexpr int kHighestPort = 16;

const char kDescription[] =
    "Plays one show-control device on a pseudo-terminal and pins it as a port of\n"
    "Zentrel (a link ports/COM<n> in the program's directory), so the program can be\n"
    "tried and developed without equipment. Every request it receives is printed as\n"
    "one line: what it was and what was answered.\n"
    "\n"
    "The replies are illustrative, not a real device's: commands it knows answer R,\n"
    "unknown ones E, requests a plausible made-up value; the show controller answers\n"
    "ACK (06) or NACK (15). Check a real device's manual for its actual answers.\n"
    "\n"
    "Families: pelvox2, pelvoxhd, wendlo, orbalite, showctl.";

} // namespace

SimCommandLine::SimCommandLine()
{
    m_parser.setApplicationDescription(QString::fromLatin1(kDescription));
    m_parser.addOptions({
        {{QStringLiteral("f"), QStringLiteral("family")},
         QStringLiteral("Device family to play (default pelvox2)."),
         QStringLiteral("name")},
        {{QStringLiteral("p"), QStringLiteral("port")},
         QStringLiteral("Port number 0 to 16 to pin (default 1)."),
         QStringLiteral("n")},
        {{QStringLiteral("u"), QStringLiteral("unit")},
         QStringLiteral("The device's unit ID, or the show controller's address (default 1)."),
         QStringLiteral("id")},
        {{QStringLiteral("d"), QStringLiteral("dir")},
         QStringLiteral("The program directory whose ports/ gets the link (default: the "
                        "directory of the zentrel program beside this one, or the user's "
                        "Zentrel data directory when both are installed)."),
         QStringLiteral("directory")},
        {{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")},
        {{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version.")},
    });
}

bool SimCommandLine::parse(const QStringList &arguments)
{
    m_options = {};
    m_error.clear();
    if (!m_parser.parse(arguments)) {
        m_error = m_parser.errorText();
        return false;
    }
    if (!m_parser.positionalArguments().isEmpty()) {
        m_error = QStringLiteral("Unexpected argument: %1")
                      .arg(m_parser.positionalArguments().constFirst());
        return false;
    }
    if (m_parser.isSet(QStringLiteral("family")))
        m_options.family = m_parser.value(QStringLiteral("family")).toLower();
    if (!familyNames().contains(m_options.family)) {
        m_error = QStringLiteral("Unknown family \"%1\"; choose one of %2.")
                      .arg(m_options.family, familyNames().join(QStringLiteral(", ")));
        return false;
    }
    const auto number = [this](const QString &name, int fallback, int highest, int *result) {
        if (!m_parser.isSet(name)) {
            *result = fallback;
            return true;
        }
        bool ok = false;
        *result = m_parser.value(name).toInt(&ok);
        if (ok && *result >= 0 && *result <= highest)
            return true;
        m_error = QStringLiteral("The %1 must be a number 0 to %2.").arg(name).arg(highest);
        return false;
    };
    if (!number(QStringLiteral("port"), 1, kHighestPort, &m_options.port) ||
        !number(QStringLiteral("unit"), 1, highestUnit(m_options.family), &m_options.unit))
        return false;
    m_options.directory = m_parser.value(QStringLiteral("dir"));
    return true;
}

} // namespace zentrel::sim
