#pragma once

#include "app/terminal.h"
#include "appdirectory.h"
#include "farend.h"
#include "recordingmessages.h"

#include <QByteArray>
#include <QEventLoop>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

namespace zentrel::bench {

// The real main window, shown, with a far end pinned as port 1 and selected
// by the settings file, as after a start. Given `serve`, the far end is the
// device of a server that function starts, and port 1 is pinned to the
// address it returns.
struct Window
{
    explicit Window(const QByteArray &view = "Standard",
                    const std::function<QByteArray(const QString &device)> &serve = {});

    void click(const char *button);
    // Serves the event loop for the given time.
    static void run(int milliseconds);

    test::AppDirectory dir;
    FarEnd farEnd;
    test::RecordingMessages messages;
    std::unique_ptr<Terminal> terminal;
};

// A settings file that selects port 1 and the view, with no quick strings.
QByteArray settingsFor(const QByteArray &view);

// Far-end traffic made of three equal parts: short "R" CR LF answers,
// every byte value in turn, and printable text with no line break.
QByteArray mixedTraffic(qsizetype size);

// Sets a display-less platform when no X display is there.
void choosePlatform();

// A benchmark runs every part, or, for a closer look, only those named on its
// command line.
class Parts
{
public:
    explicit Parts(QStringList named) : m_named(std::move(named)) {}
    bool wanted(const QString &part) const { return m_named.isEmpty() || m_named.contains(part); }

private:
    QStringList m_named;
};

// Serves the event loop until the link sends `signal` or the time is up;
// true when it came.
template <typename Signal> bool waitFor(SerialLink &link, Signal signal, int timeoutMs)
{
    QEventLoop loop;
    bool came = false;
    QObject::connect(&link, signal, &loop, [&] {
        came = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return came;
}

} // namespace zentrel::bench
