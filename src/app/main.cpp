#include "app/artwork.h"
#include "app/messageboxsink.h"
#include "app/signalbridge.h"
#include "app/splashwindow.h"
#include "app/terminal.h"
#include "forms/formtable.h"

#include <QApplication>
#include <QPointer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zentrel"));
    zentrel::applyFormStyle();
    QApplication::setWindowIcon(QIcon(zentrel::artwork::emblem(64)));
    // The program's life is explicit: a splash screen does not count as a
    // window for Qt, so start-up ends by a quit of our own, and afterwards the
    // program runs until the main window goes, whatever boxes come and go.
    QApplication::setQuitOnLastWindowClosed(false);

    zentrel::MessageBoxSink messages;
    QPointer<zentrel::Terminal> terminal;

    zentrel::SignalBridge signals;
    QObject::connect(&signals, &zentrel::SignalBridge::terminationRequested, &app, [&terminal] {
        if (terminal)
            terminal->close();
        QCoreApplication::quit();
    });

    auto *splash = new zentrel::SplashWindow(messages, [&messages, &terminal] {
        terminal = new zentrel::Terminal(messages);
        terminal->setAttribute(Qt::WA_DeleteOnClose);
        messages.setParentWindow(terminal);
        QObject::connect(terminal, &QObject::destroyed, qApp, &QCoreApplication::quit);
        terminal->show();
    });
    splash->setAttribute(Qt::WA_DeleteOnClose);
    messages.setParentWindow(splash);
    // The splash goes once start-up is over; without a main window by then
    // the no-port message has just been closed and the program ends.
    QObject::connect(splash, &QObject::destroyed, qApp, [&terminal] {
        if (!terminal)
            QCoreApplication::quit();
    });
    splash->show();
    const int code = QApplication::exec();
    delete terminal;
    return code;
}
