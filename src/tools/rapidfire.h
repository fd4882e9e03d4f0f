#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <set>

class QPushButton;

namespace zentrel {

class SendPort;

// Resends a snapshot of the last command on every tick of a 1 ms timer until
// stopped. A tick sends only once the previous bytes have left for the
// transmit buffer, so a slow line never builds a queue, and a failure is
// told once per run instead of once per millisecond.
class RapidFire : public QObject
{
    Q_OBJECT

public:
    static constexpr int kTransmitBuffer = 512;

    // Resends through the port; the button starts and stops it and shows
    // which it will do.
    RapidFire(SendPort &port, QPushButton *button);

    bool isRunning() const { return !m_rapidString.isEmpty(); }
    const QByteArray &RapidString() const { return m_rapidString; }
    QTimer &RapidTimer() { return m_timer; }

    void RapidCmd_Click();
    void RapidTimer_Timer();
    // What Stop does, when it runs.
    void stop();

private:
    SendPort &m_port;
    QPushButton *m_button;
    QTimer m_timer;
    QByteArray m_rapidString;
    std::set<int> m_reported;
    bool m_reporting = false;
};

} // namespace zentrel
