#pragma once

#include <QObject>

class QSocketNotifier;

namespace zentrel {

// Turns SIGTERM and SIGINT into a Qt signal on the event loop, so a session
// logging out or Ctrl+C in the starting terminal ends the program the way
// Exit does.
class SignalBridge : public QObject
{
    Q_OBJECT

public:
    explicit SignalBridge(QObject *parent = nullptr);
    ~SignalBridge() override;

Q_SIGNALS:
    void terminationRequested();

private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace zentrel
