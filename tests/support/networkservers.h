#pragma once

#include "simprocess.h"
#include "testhelpers.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

// ser2net comes with the test tools (scripts/deps.sh --test); elsewhere the
// test is skipped, never quietly passed.
#define ZENTREL_REQUIRE_SER2NET()                                                                  \
    do {                                                                                           \
        if (zentrel::test::Ser2Net::program().isEmpty()) {                                         \
            if (!qEnvironmentVariableIsEmpty("CI"))                                                \
                QFAIL("CI installs ser2net");                                                      \
            QSKIP("ser2net is not installed (scripts/deps.sh --test)");                            \
        }                                                                                          \
    } while (false)

namespace zentrel::test {

// A listening TCP socket on 127.0.0.1, on the port asked for or any free one.
inline int listenOnLoopback(quint16 port = 0, int backlog = 16, int receiveBuffer = 0)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (receiveBuffer > 0) // taken over by the connections it accepts
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(fd, backlog) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

inline quint16 portOf(int fd)
{
    sockaddr_in address = {};
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size);
    return ntohs(address.sin_port);
}

// A port nothing listens on now: bound, then let go.
inline quint16 freeLoopbackPort()
{
    const int fd = listenOnLoopback();
    const quint16 port = portOf(fd);
    ::close(fd);
    return port;
}

// 127.0.0.1 and the port as the system's tables of sockets write them.
inline QByteArray loopbackEnd(quint16 port)
{
    return "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
}

// Whether something on 127.0.0.1 listens on the port, as the system's table
// of TCP sockets says: asked without connecting.
inline bool listening(quint16 port)
{
    const QByteArray local = loopbackEnd(port);
    for (const QByteArray &line : fileContent(QStringLiteral("/proc/net/tcp")).split('\n')) {
        const auto fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields.at(1) == local && fields.at(3) == "0A")
            return true;
    }
    return false;
}

// A host that drops every packet, as far as a connection can tell: a
// listening socket whose accept queue the test fills with connections of its
// own, so the system answers no further handshake.
class SilentServer
{
public:
    SilentServer() : m_listener(listenOnLoopback(0, 0))
    {
        for (int k = 0; k < 2; ++k) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            sockaddr_in address = {};
            address.sin_family = AF_INET;
            address.sin_port = htons(port());
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
            m_fillers.push_back(fd);
        }
        // The first takes the queue's one place; once it is in, nothing else gets in.
        pollfd in = {m_fillers.front(), POLLOUT, 0};
        ::poll(&in, 1, 5000);
    }
    ~SilentServer()
    {
        for (const int fd : m_fillers)
            ::close(fd);
        ::close(m_listener);
    }
    SilentServer(const SilentServer &) = delete;
    SilentServer &operator=(const SilentServer &) = delete;

    quint16 port() const { return portOf(m_listener); }

private:
    int m_listener;
    std::vector<int> m_fillers;
};

// A server of the test's own on a thread of its own, so it keeps answering
// while the program waits for it: each connection it accepts meets the same
// behaviour.
class ScriptedServer
{
public:
    enum class Behaviour {
        CloseAfterOpening, // reads the client's first bytes, sends part of a reply, closes
        HoldOpen,          // reads everything, until told to reset the connection
        NeverRead,         // accepts and never reads: its receive window fills
    };

    explicit ScriptedServer(Behaviour behaviour)
        : m_behaviour(behaviour),
          // NeverRead: the smallest receive buffer the system gives.
          m_listener(listenOnLoopback(0, 16, behaviour == Behaviour::NeverRead ? 1 : 0)),
          m_thread([this] { serve(); })
    {}
    ~ScriptedServer()
    {
        m_stop = true;
        m_thread.join();
        for (const int fd : m_connections)
            ::close(fd);
        ::close(m_listener);
    }
    ScriptedServer(const ScriptedServer &) = delete;
    ScriptedServer &operator=(const ScriptedServer &) = delete;

    quint16 port() const { return portOf(m_listener); }
    int accepted() const { return m_accepted; }
    // HoldOpen: the connection held ends with a reset, as a server that crashed.
    void reset() { m_reset = true; }

private:
    void serve()
    {
        int held = -1;
        while (!m_stop) {
            pollfd ready[2] = {{m_listener, POLLIN, 0}, {held, POLLIN, 0}};
            if (::poll(ready, held >= 0 ? 2 : 1, 20) < 0)
                continue;
            if (held >= 0 && m_reset.exchange(false)) {
                const linger abortive = {1, 0};
                ::setsockopt(held, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
                ::close(held);
                held = -1;
                continue;
            }
            if (held >= 0 && (ready[1].revents & POLLIN)) {
                char buffer[4096];
                if (::read(held, buffer, sizeof buffer) <= 0) {
                    ::close(held);
                    held = -1;
                }
            }
            if (!(ready[0].revents & POLLIN))
                continue;
            const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            ++m_accepted;
            switch (m_behaviour) {
            case Behaviour::CloseAfterOpening: {
                pollfd in = {fd, POLLIN, 0};
                char buffer[256];
                if (::poll(&in, 1, 5000) > 0 && ::read(fd, buffer, sizeof buffer) > 0)
                    [[maybe_unused]]
                    const auto sent = ::write(fd, "\xff\xfa\x2c\x65", 4);
                ::close(fd);
                break;
            }
            case Behaviour::HoldOpen:
                if (held >= 0)
                    ::close(held);
                held = fd;
                break;
            case Behaviour::NeverRead:
                m_connections.push_back(fd);
                break;
            }
        }
        if (held >= 0)
            ::close(held);
    }

    Behaviour m_behaviour;
    int m_listener;
    std::vector<int> m_connections;
    std::atomic<bool> m_stop = false;
    std::atomic<bool> m_reset = false;
    std::atomic<int> m_accepted = 0;
    std::thread m_thread;
};

// ser2net serving one device on 127.0.0.1, with a configuration of the
// test's own; the device's own settings differ from the program's (115200
// baud, 7 data bits, even parity, 2 stop bits), so whoever sets the line
// shows. `modemLines` preloads the shim that lets ser2net set DTR and RTS on
// a pseudo-terminal, which has none, and records what it set there;
// `options` are more lines of its connection's options.
class Ser2Net
{
public:
    enum class Accepter { Rfc2217, Raw };

    Ser2Net(const QString &device, Accepter accepter, bool modemLines = false,
            const QString &options = {})
        : m_device(device), m_accepter(accepter), m_modemLines(modemLines), m_options(options),
          m_port(freeLoopbackPort())
    {
        start();
    }
    ~Ser2Net() { stop(); }
    Ser2Net(const Ser2Net &) = delete;
    Ser2Net &operator=(const Ser2Net &) = delete;

    static QString program()
    {
        return QStandardPaths::findExecutable(QStringLiteral("ser2net"),
                                              {"/usr/sbin", "/usr/local/sbin", "/usr/bin"});
    }

    // Starts it and waits until it listens; false when it did not.
    bool start()
    {
        const QString accepter = m_accepter == Accepter::Rfc2217
                                     ? QStringLiteral("telnet(rfc2217),tcp,127.0.0.1,%1")
                                     : QStringLiteral("tcp,127.0.0.1,%1");
        QFile config(m_dir.filePath(QStringLiteral("ser2net.yaml")));
        if (!config.open(QIODevice::WriteOnly))
            return false;
        config.write(QStringLiteral("%YAML 1.1\n---\nconnection: &line\n"
                                    "  accepter: %1\n"
                                    "  connector: serialdev,%2,115200e72,local\n"
                                    "  options:\n    kickolduser: false\n    mdns: false\n%3")
                         .arg(accepter.arg(m_port), m_device, m_options)
                         .toLocal8Bit());
        config.close();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (m_modemLines) {
            environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(ZENTREL_MODEM_SHIM));
            environment.insert(QStringLiteral("ZENTREL_MODEM_LOG"), modemLog());
        }
        m_process = std::make_unique<ChildProcess>(
            program(), QStringList{"-n", "-d", "-c", config.fileName()}, environment);
        const QDeadlineTimer deadline(10000);
        while (!listening(m_port) && m_process->isRunning() && !deadline.hasExpired())
            QTest::qWait(10);
        return listening(m_port);
    }

    // Ends it at once, as a crash or a power cut would.
    void stop()
    {
        if (m_process) {
            m_process->sendSignal(SIGKILL);
            m_process->waitForExit();
        }
        m_process.reset();
    }

    quint16 port() const { return m_port; }
    QByteArray pin() const
    {
        return (m_accepter == Accepter::Rfc2217 ? "rfc2217://127.0.0.1:" : "socket://127.0.0.1:") +
               QByteArray::number(m_port);
    }
    // What the shim set on the modem lines, a line per change ("dtr 1 rts 1").
    QString modemLog() const { return m_dir.filePath(QStringLiteral("modem-lines")); }
    QString errors() { return m_process ? m_process->errors() : QString(); }
    qint64 processId() const { return m_process ? m_process->processId() : 0; }

private:
    QTemporaryDir m_dir;
    QString m_device;
    Accepter m_accepter;
    bool m_modemLines;
    QString m_options;
    quint16 m_port;
    std::unique_ptr<ChildProcess> m_process;
};

} // namespace zentrel::test
