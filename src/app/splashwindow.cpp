#include "app/splashwindow.h"

#include "app/artwork.h"
#include "serial/portaccess.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace zentrel {

SplashWindow::SplashWindow(MessageSink &messages, std::function<void()> openMain, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_messages(messages),
      m_openMain(std::move(openMain))
{
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(4710 / 15, 6450 / 15);
    auto *picture = new QLabel(this);
    picture->setPixmap(artwork::splash());
    picture->setGeometry(0, 0, 314, 431);
    if (const auto *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    setCursor(Qt::WaitCursor);
    m_goProg.setSingleShot(true);
    m_goProg.setInterval(kDelayMs);
    connect(&m_goProg, &QTimer::timeout, this, &SplashWindow::GoProg_Timer);
    m_goProg.start();
}

void SplashWindow::GoProg_Timer()
{
    m_goProg.stop();
    // Ports refused for permission or a lock were detected: say which, and why.
    if (const auto round = com::probeRound(); round.openable.isEmpty())
        m_messages.show(QStringLiteral("No available COMM ports detected, shutting down!"),
                        com::explain(round.told));
    else
        m_openMain();
    unsetCursor();
    close();
}

} // namespace zentrel
