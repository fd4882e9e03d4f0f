#pragma once

#include <QCommandLineParser>
#include <QString>

namespace zentrel::sim {

struct SimOptions
{
    QString family = QStringLiteral("pelvox2");
    int port = 1;
    int unit = 1;
    QString directory; // the program directory whose ports/ gets the link
};

// The simulator's options, checked: a known family, a port 0 to 16, a unit
// the family can have.
class SimCommandLine
{
public:
    SimCommandLine();

    // `arguments` starts with the program name, as argv does. False when an
    // option is unknown or out of range; errorText() says which.
    bool parse(const QStringList &arguments);

    bool helpRequested() const { return m_parser.isSet(QStringLiteral("help")); }
    bool versionRequested() const { return m_parser.isSet(QStringLiteral("version")); }
    QString helpText() const { return m_parser.helpText(); }
    QString errorText() const { return m_error; }
    SimOptions options() const { return m_options; }

private:
    QCommandLineParser m_parser;
    SimOptions m_options;
    QString m_error;
};

} // namespace zentrel::sim
