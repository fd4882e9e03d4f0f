#include "app/artwork.h"
#include "app/messageboxsink.h"
#include "app/signalbridge.h"
#include "app/splashwindow.h"
#include "app/terminal.h"

#include <QApplication>
#include <QPointer>
#include <QStyleFactory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zentrel"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFont font(QStringLiteral("Sans Serif"));
    font.setPointSizeF(8.25);
    QApplication::setFont(font);
    QApplication::setWindowIcon(QIcon(zentrel::artwork::emblem(64)));

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
        terminal->show();
    });
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->show();
    const int code = QApplication::exec();
    delete terminal;
    return code;
}
