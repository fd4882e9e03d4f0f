#include "tools/rapidfire.h"

#include "terminal/sendport.h"

#include <QPushButton>

namespace zentrel {

RapidFire::RapidFire(SendPort &port, QPushButton *button)
    : QObject(button), m_port(port), m_button(button)
{
    m_timer.setObjectName(QStringLiteral("RapidTimer"));
    m_timer.setInterval(1);
    connect(&m_timer, &QTimer::timeout, this, &RapidFire::RapidTimer_Timer);
    connect(button, &QPushButton::clicked, this, &RapidFire::RapidCmd_Click);
}

void RapidFire::RapidCmd_Click()
{
    if (m_port.LastCommand().isEmpty())
        return;
    if (isRunning())
        return stop();
    m_button->setText(QStringLiteral("Stop"));
    m_rapidString = m_port.LastCommand();
    m_reported.clear();
    m_timer.start();
}

void RapidFire::stop()
{
    if (!isRunning())
        return;
    m_timer.stop();
    m_rapidString.clear();
    m_button->setText(QStringLiteral("Rapid Fire"));
}

void RapidFire::RapidTimer_Timer()
{
    // While a failure is on screen the box's own event loop keeps ticking;
    // nothing goes out until the operator has read it.
    if (!isRunning() || m_reporting)
        return;
    if (m_port.pendingOutput() > kTransmitBuffer)
        return;
    // The snapshot already carries any unit-ID prefix: resend it unchanged.
    const bool addressing = m_port.IDAllowed();
    m_port.setIDAllowed(false);
    const auto outcome = m_port.send(m_rapidString);
    if (outcome != SendOutcome::Sent)
        m_port.setIDAllowed(addressing);
    if (outcome == SendOutcome::Sent || !m_reported.insert(int(outcome)).second)
        return;
    m_reporting = true;
    m_port.report(outcome);
    m_reporting = false;
}

} // namespace zentrel
