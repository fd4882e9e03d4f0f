#include "window.h"

#include <QEventLoop>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace zentrel::bench {

Window::Window(const QByteArray &view,
               const std::function<QByteArray(const QString &device)> &serve)
{
    if (serve)
        dir.pinServer(1, serve(farEnd.slavePath()));
    else
        dir.pin(1, farEnd.slavePath());
    dir.writeIni(settingsFor(view));
    terminal = std::make_unique<Terminal>(messages);
    terminal->show();
    if (!QTest::qWaitForWindowExposed(terminal.get()))
        qWarning("the window was not shown");
}

void Window::click(const char *button)
{
    QTest::mouseClick(terminal->findChild<QPushButton *>(QLatin1StringView(button)),
                      Qt::LeftButton);
}

void Window::run(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

QByteArray settingsFor(const QByteArray &view)
{
    QByteArray ini = "Port: 1\r\nView: " + view + "\r\n";
    for (int k = 1; k <= 5; ++k)
        ini += "String " + QByteArray::number(k) + ": \r\n";
    return ini;
}

QByteArray mixedTraffic(qsizetype size)
{
    constexpr qsizetype kPiece = 999;
    static const QByteArray text =
        QByteArrayLiteral("The quick brown fox jumps over the lazy dog; 0123456789 ");
    QByteArray traffic;
    traffic.reserve(size);
    int part = 0;
    int byteValue = 0;
    while (traffic.size() < size) {
        const qsizetype end = std::min(size, traffic.size() + kPiece);
        switch (part++ % 3) {
        case 0:
            while (traffic.size() < end)
                traffic.append("R\r\n", std::min<qsizetype>(3, end - traffic.size()));
            break;
        case 1:
            while (traffic.size() < end)
                traffic.append(char(byteValue++ & 0xFF));
            break;
        default:
            while (traffic.size() < end)
                traffic.append(text.at(traffic.size() % text.size()));
            break;
        }
    }
    return traffic;
}

void choosePlatform()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace zentrel::bench
