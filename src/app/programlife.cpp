#include "app/programlife.h"

#include "app/messageboxsink.h"
#include "app/signalbridge.h"
#include "app/splashwindow.h"
#include "app/terminal.h"

#include <QApplication>
#include <QPointer>

namespace zentrel {

int runProgram()
{
    // The program's life is explicit: a splash screen does not count as a
    // window for Qt, so start-up ends by a quit of our own, and afterwards the
    // program runs until the main window goes, whatever boxes come and go.
    QApplication::setQuitOnLastWindowClosed(false);

    MessageBoxSink messages;
    QPointer<Terminal> terminal;

    SignalBridge signals;
    QObject::connect(&signals, &SignalBridge::terminationRequested, qApp, [&terminal] {
        if (terminal)
            terminal->close();
        QCoreApplication::quit();
    });

    auto *splash = new SplashWindow(messages, [&messages, &terminal] {
        terminal = new Terminal(messages);
        terminal->setAttribute(Qt::WA_DeleteOnClose);
        messages.setParentWindow(terminal);
        QObject::connect(terminal, &QObject::destroyed, qApp, &QCoreApplication::quit);
        terminal->show();
    });
    splash->setAttribute(Qt::WA_DeleteOnClose);
    messages.setParentWindow(splash);
    // The splash goes once start-up is over; without a main window by then
    // the no-port message has just been closed and the program ends. A
    // splash left at the end goes after this function; the watch goes before
    // terminal does and takes the connection with it.
    const QObject watch;
    QObject::connect(splash, &QObject::destroyed, &watch,
                     [&terminal] { // clazy:exclude=lambda-in-connect
                         if (!terminal)
                             QCoreApplication::quit();
                     });
    splash->show();
    const int code = QApplication::exec();
    delete terminal;
    return code;
}

} // namespace zentrel
