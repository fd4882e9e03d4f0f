#pragma once

#include "simdevice.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>

namespace zentrel::sim {

class PtyPort;

// Runs a simulated device on the line: hands it what arrives, writes its
// answers back and reports each request as one line. It also tells when the
// program has taken up an answer, and drops an answer no one reads, as a
// line without a listener would.
class Simulator : public QObject
{
    Q_OBJECT

public:
    Simulator(std::unique_ptr<SimDevice> device, PtyPort &port, QObject *parent = nullptr);
    ~Simulator() override;

    const SimDevice &device() const { return *m_device; }

Q_SIGNALS:
    void report(const QString &line);

private:
    void onReceived(const QByteArray &bytes);
    void onLineIdle();
    void answer(const QList<Exchange> &exchanges);
    void watchReply();

    std::unique_ptr<SimDevice> m_device;
    PtyPort &m_port;
    QTimer m_idle;
    QTimer m_watch;
    QElapsedTimer m_unreadFor;
};

} // namespace zentrel::sim
