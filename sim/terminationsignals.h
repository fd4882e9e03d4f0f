#pragma once

#include <QObject>

class QSocketNotifier;

namespace zentrel::sim {

// Turns SIGINT, SIGTERM and SIGHUP into a signal on the event loop, so the
// simulator can take its link down before it ends.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void requested();

private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace zentrel::sim
