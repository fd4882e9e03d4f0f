#pragma once

#include "terminal/messagesink.h"

#include <QTimer>
#include <QWidget>

#include <functional>

namespace zentrel {

// The borderless start-up picture. Three seconds after it shows, it counts
// the ports that could be opened: none ends the program with a message,
// otherwise it opens the main window and goes away.
class SplashWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kDelayMs = 3000;

    SplashWindow(MessageSink &messages, std::function<void()> openMain, QWidget *parent = nullptr);

    QTimer &GoProg() { return m_goProg; }
    void GoProg_Timer();

private:
    MessageSink &m_messages;
    std::function<void()> m_openMain;
    QTimer m_goProg;
};

} // namespace zentrel
