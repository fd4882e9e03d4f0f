#include "devicefactory.h"
#include "portpin.h"
#include "ptyport.h"
#include "simcommandline.h"
#include "simulator.h"
#include "terminationsignals.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

void printLine(std::FILE *stream, const QString &line)
{
    std::fputs(line.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char *argv[])
{
    using namespace zentrel::sim;

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zentrel-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZENTREL_VERSION));

    SimCommandLine commandLine;
    if (!commandLine.parse(QCoreApplication::arguments())) {
        printLine(stderr, QStringLiteral("zentrel-sim: %1\nTry zentrel-sim --help.")
                              .arg(commandLine.errorText()));
        return 2;
    }
    if (commandLine.helpRequested()) {
        printLine(stdout, commandLine.helpText());
        return 0;
    }
    if (commandLine.versionRequested()) {
        printLine(stdout,
                  QStringLiteral("zentrel-sim %1").arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    const SimOptions options = commandLine.options();
    const QString directory =
        options.directory.isEmpty() ? defaultProgramDirectory() : options.directory;

    QString error;
    PtyPort port;
    PortPin pin;
    if (!port.open(&error) || !pin.pin(directory, options.port, port.slavePath(), &error)) {
        printLine(stderr, QStringLiteral("zentrel-sim: %1").arg(error));
        return 1;
    }

    Simulator simulator(makeDevice(options.family, options.unit), port);
    QObject::connect(&simulator, &Simulator::report, &app,
                     [](const QString &line) { printLine(stdout, line); });
    TerminationSignals signals;
    QObject::connect(&signals, &TerminationSignals::requested, &app, &QCoreApplication::quit);

    printLine(stdout, QStringLiteral("zentrel-sim: %1 on port %2 (%3 -> %4); replies are "
                                     "illustrative. Ctrl+C ends it.")
                          .arg(simulator.device().identity())
                          .arg(options.port)
                          .arg(pin.linkPath(), port.slavePath()));
    const int code = QCoreApplication::exec();
    pin.release();
    printLine(stdout, QStringLiteral("zentrel-sim: port %1 released").arg(options.port));
    return code;
}
