#pragma once

#include <QByteArray>
#include <QEventLoop>
#include <QFile>
#include <QString>
#include <QTimer>

namespace zentrel::test {

// Lets the event loop run, idle or busy, for the given time.
inline void runFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

inline QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace zentrel::test
