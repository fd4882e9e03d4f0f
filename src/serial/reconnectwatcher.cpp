#include "serial/reconnectwatcher.h"

#include <QSet>

namespace zentrel {

namespace {
constexpr int kSoonMs = 20;
constexpr int kLookGapMs = 20;
} // namespace

ReconnectWatcher::ReconnectWatcher(QObject *parent) : QObject(parent)
{
    m_soon.setSingleShot(true);
    m_soon.setInterval(kSoonMs);
    connect(&m_soon, &QTimer::timeout, this, &ReconnectWatcher::lookDue);
    connect(&m_fallback, &QTimer::timeout, this, &ReconnectWatcher::lookDue);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_soon,
            qOverload<>(&QTimer::start));
}

void ReconnectWatcher::start(int intervalMs, const QStringList &folders)
{
    m_waiting = true;
    m_lastLook.invalidate();
    watch(folders);
    m_fallback.start(intervalMs);
}

void ReconnectWatcher::stop()
{
    m_waiting = false;
    m_soon.stop();
    m_fallback.stop();
    watch({});
}

void ReconnectWatcher::watch(const QStringList &folders)
{
    const QStringList watched = m_watcher.directories();
    if (QSet<QString>(watched.begin(), watched.end()) ==
        QSet<QString>(folders.begin(), folders.end()))
        return;
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
    if (!folders.isEmpty())
        m_watcher.addPaths(folders);
}

bool ReconnectWatcher::mayLook()
{
    if (!m_waiting || (m_lastLook.isValid() && m_lastLook.elapsed() < kLookGapMs))
        return false;
    m_lastLook.start();
    return true;
}

} // namespace zentrel
