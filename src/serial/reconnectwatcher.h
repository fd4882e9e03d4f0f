#pragma once

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

namespace zentrel {

// Says when to look for a failed line's far end, cheaply: soon after a
// change in a folder where it would show, and now and then in case a change
// escapes notice. It never looks itself; what a look costs (a stat, a
// connection attempt) and how often one may really try is the line's to say.
class ReconnectWatcher : public QObject
{
    Q_OBJECT

public:
    explicit ReconnectWatcher(QObject *parent = nullptr);

    void start(int intervalMs, const QStringList &folders);
    void stop();
    bool isWaiting() const { return m_waiting; }
    void watch(const QStringList &folders);

    // Whether a look may go ahead now: Rapid Fire asks every millisecond, and
    // the answer cannot change that fast.
    bool mayLook();

Q_SIGNALS:
    void lookDue();

private:
    QFileSystemWatcher m_watcher;
    QTimer m_soon; // gathers a burst of folder changes into one look
    QTimer m_fallback;
    QElapsedTimer m_lastLook;
    bool m_waiting = false;
};

} // namespace zentrel
