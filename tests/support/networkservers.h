#pragma once

#include "simprocess.h"
#include "testhelpers.h"

#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <vector>

// ser2net comes with the test tools (scripts/deps.sh --test); elsewhere the
// test is skipped, never quietly passed.
#define ZENTREL_REQUIRE_SER2NET()                                                                  \
    do {                                                                                           \
        if (zentrel::test::Ser2Net::program().isEmpty()) {                                         \
            if (!qEnvironmentVariableIsEmpty("CI"))                                                \
                QFAIL("CI installs ser2net");                                                      \
            QSKIP("needs ser2net (scripts/deps.sh --test)");                                       \
        }                                                                                          \
    } while (false)

namespace zentrel::test {

// 127.0.0.1 and a port as the system's tables of sockets write them.
inline QByteArray loopbackEnd(quint16 port)
{
    return "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
}

// A listening socket of the test's own on 127.0.0.1, accepting nothing: the
// system completes each handshake and keeps what the client sends, up to the
// receive buffer (a server that never reads). A backlog of 0 whose place the
// test takes (silence) gets no handshake answered: a host dropping packets.
class Listener
{
public:
    explicit Listener(int backlog = 16, int receiveBuffer = 0) : m_fd(newSocket())
    {
        if (receiveBuffer > 0) // taken over by the connections it accepts
            ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        ::bind(m_fd, reinterpret_cast<const sockaddr *>(&m_address), sizeof m_address);
        ::listen(m_fd, backlog);
        socklen_t size = sizeof m_address;
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&m_address), &size);
    }
    ~Listener()
    {
        for (const int fd : m_own)
            ::close(fd);
        ::close(m_fd);
    }
    Listener(const Listener &) = delete;
    Listener &operator=(const Listener &) = delete;

    int fd() const { return m_fd; }
    quint16 port() const { return ntohs(m_address.sin_port); }

    void silence()
    {
        for (const int fd : {newSocket(), newSocket()}) {
            ::connect(fd, reinterpret_cast<const sockaddr *>(&m_address), sizeof m_address);
            m_own.push_back(fd);
        }
        pollfd in = {m_own.front(), POLLOUT, 0}; // the one place taken
        ::poll(&in, 1, 5000);
    }

    // Accepts every connection waiting and ends each with a reset, as a
    // server that crashed.
    void resetAll()
    {
        for (int fd; (fd = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
            const linger abortive = {1, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
            ::close(fd);
        }
    }

private:
    static int newSocket()
    {
        return ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    }

    int m_fd;
    sockaddr_in m_address = {AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    std::vector<int> m_own;
};

// A port nothing listens on now.
inline quint16 freeLoopbackPort()
{
    return Listener().port();
}

// Whether something listens on the port of 127.0.0.1, asked of the system
// without connecting.
inline bool listening(quint16 port)
{
    for (const QByteArray &line : fileContent(QStringLiteral("/proc/net/tcp")).split('\n')) {
        const auto fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields.at(1) == loopbackEnd(port) && fields.at(3) == "0A")
            return true;
    }
    return false;
}

// A server that hangs up on every client once it has spoken, its last
// words the start of a sub-negotiation; on a thread of its own, so it
// answers while the program waits for it.
class HangUpServer
{
public:
    HangUpServer() : m_thread([this] { serve(); }) {}
    ~HangUpServer()
    {
        m_stop = true;
        m_thread.join();
    }
    quint16 port() const { return m_listener.port(); }

private:
    void serve()
    {
        for (char words[256]; !m_stop;) {
            pollfd waiting = {m_listener.fd(), POLLIN, 0};
            const int fd =
                ::poll(&waiting, 1, 20) > 0 ? ::accept4(m_listener.fd(), nullptr, nullptr, 0) : -1;
            pollfd spoken = {fd, POLLIN, 0};
            if (fd >= 0 && ::poll(&spoken, 1, 5000) > 0 && ::read(fd, words, 256) > 0)
                [[maybe_unused]]
                const auto sent = ::write(fd, "\xff\xfa\x2c\x65", 4);
            ::close(fd);
        }
    }

    Listener m_listener;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

// ser2net serving one device on 127.0.0.1 with a configuration of the test's
// own, the device at 115200 7E2 so whoever sets the line shows. `modemLines`
// preloads support/modemlines.c (DTR and RTS on a pseudo-terminal, recorded
// in modemLog()); `options` are more lines of the connection's options.
class Ser2Net
{
public:
    enum class Accepter { Rfc2217, Raw };

    Ser2Net(const QString &device, Accepter accepter, bool modemLines = false,
            const QString &options = {})
        : m_port(freeLoopbackPort()),
          m_pin((accepter == Accepter::Rfc2217 ? "rfc2217://127.0.0.1:" : "socket://127.0.0.1:") +
                QByteArray::number(m_port))
    {
        QFile config(m_dir.filePath(QStringLiteral("ser2net.yaml")));
        if (config.open(QIODevice::WriteOnly))
            config.write(QStringLiteral("%YAML 1.1\n---\nconnection: &line\n"
                                        "  accepter: %1,127.0.0.1,%2\n"
                                        "  connector: serialdev,%3,115200e72,local\n"
                                        "  options:\n    kickolduser: false\n    mdns: false\n%4")
                             .arg(accepter == Accepter::Rfc2217 ? "telnet(rfc2217),tcp" : "tcp")
                             .arg(m_port)
                             .arg(device, options)
                             .toLocal8Bit());
        config.close();
        m_environment.insert(QStringLiteral("ZENTREL_MODEM_LOG"), modemLog());
        if (modemLines)
            m_environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(ZENTREL_MODEM_SHIM));
        start();
    }

    static QString program()
    {
        return QStandardPaths::findExecutable(QStringLiteral("ser2net"),
                                              {"/usr/sbin", "/usr/local/sbin", "/usr/bin"});
    }

    // Starts it, on the same port again, and waits until it listens.
    bool start()
    {
        m_process = std::make_unique<ChildProcess>(
            program(), QStringList{"-n", "-d", "-c", m_dir.filePath("ser2net.yaml")},
            m_environment);
        for (const QDeadlineTimer deadline(10000);
             !listening(m_port) && m_process->isRunning() && !deadline.hasExpired();)
            QTest::qWait(10);
        return listening(m_port);
    }

    // Ends it at once (SIGKILL), as a crash or a power cut would.
    void stop() { m_process.reset(); }

    quint16 port() const { return m_port; }
    QByteArray pin() const { return m_pin; }
    QString modemLog() const { return m_dir.filePath(QStringLiteral("modem-lines")); }
    QString errors() { return m_process ? m_process->errors() : QString(); }
    qint64 processId() const { return m_process ? m_process->processId() : 0; }

private:
    QTemporaryDir m_dir;
    quint16 m_port;
    QByteArray m_pin;
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
    std::unique_ptr<ChildProcess> m_process;
};

} // namespace zentrel::test
