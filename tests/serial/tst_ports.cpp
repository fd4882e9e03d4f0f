#include "app/splashwindow.h"
#include "networkservers.h"
#include "serial/com.h"
#include "serial/deviceidentity.h"
#include "serial/portaccess.h"
#include "serial/reconnectwatcher.h"
#include "simprocess.h"
#include "terminalharness.h"
#include "testhelpers.h"
#include "tools/apppath.h"
#include "tools/rapidfire.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QSerialPort>
#include <QSet>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

using namespace zentrel;
using namespace zentrel::test;

namespace {

const QString kSim = QStringLiteral(ZENTREL_SIM_PATH);
const QString kLineError = QStringLiteral("Error on COM1, port may be in use already!");

// What the system reports as its serial devices while a test runs.
QStringList systemDevices;

void put(const QString &directory, const QStringList &attributes)
{
    QDir().mkpath(directory);
    for (const auto &attribute : attributes) {
        QFile file(directory + u'/' + attribute.section(u'=', 0, 0));
        if (file.open(QIODevice::WriteOnly))
            file.write(attribute.section(u'=', 1).toLatin1() + '\n');
    }
}

// As sysfs shows a tty: class entry -> the tty's folder, its device link -> its device.
void tty(const QString &root, const QString &device, const QString &name)
{
    const QString folder = device + QStringLiteral("/tty/") + name;
    QDir().mkpath(folder);
    QFile::link(device, folder + QStringLiteral("/device"));
    QDir().mkpath(root + QStringLiteral("/class/tty"));
    QFile::link(folder, root + QStringLiteral("/class/tty/") + name);
}

void standInSysfs(const QString &root)
{
    const QString bus = root + QStringLiteral("/devices/pci0000:00/0000:00:14.0/usb1");
    put(bus + "/1-2", {"idVendor=0403", "idProduct=6001", "serial=FT12AB"});
    put(bus + "/1-3", {"idVendor=067b", "idProduct=2303"});
    put(bus + "/1-4", {"idVendor=067b", "idProduct=2303"});
    put(bus + "/1-5", {"idVendor=2341", "idProduct=0043", "serial=7543"});
    const QStringList converters = {"1-2", "1-3", "1-4"};
    for (int i = 0; i < converters.size(); ++i) {
        const QString port =
            bus + u'/' + converters[i] + u'/' + converters[i] + ":1.0/ttyUSB" + QString::number(i);
        put(port + "/..", {"bInterfaceNumber=00"});
        put(port, {"port_number=0"});
        tty(root, port, "ttyUSB" + QString::number(i));
    }
    const QString modem = bus + "/1-5/1-5:1.2";
    put(modem, {"bInterfaceNumber=02"});
    tty(root, modem, "ttyACM0");
    tty(root, root + "/devices/platform/serial8250", "ttyS0");
}

void clickButton(Terminal &window, const char *name)
{
    QTest::mouseClick(window.findChild<QPushButton *>(QLatin1StringView(name)), Qt::LeftButton);
}

std::unique_ptr<ChildProcess> startSim(const AppDirectory &dir)
{
    return std::make_unique<ChildProcess>(kSim, QStringList{"--port", "1", "--dir", dir.path()});
}

// New pseudo-terminals until one gets `node` (the lowest free number), or a few tries.
std::vector<std::unique_ptr<PseudoTerminal>> takeNode(const QString &node)
{
    std::vector<std::unique_ptr<PseudoTerminal>> taken;
    do
        taken.push_back(std::make_unique<PseudoTerminal>());
    while (taken.size() < 16 && taken.back()->slavePath() != node);
    return taken;
}

// As nobody: start-up; given a lock to take meanwhile, the port is chosen again and a send tried.
int runAsUser(const QStringList &args) // --user <app dir> <lock dir> [<lock> <pid>]
{
    overrideAppPath(args.at(2));
    com::overrideLockFolders({args.at(3)});
    RecordingMessages messages;
    std::unique_ptr<Terminal> window;
    SplashWindow(messages, [&] { window = std::make_unique<Terminal>(messages); }).GoProg_Timer();
    auto *list = window ? window->findChild<QComboBox *>(QStringLiteral("PortCmb")) : nullptr;
    QFile lock(args.value(4));
    if (list && lock.open(QIODevice::WriteOnly) && lock.write(args[5].toLatin1()) && lock.flush()) {
        Q_EMIT list->activated(list->currentIndex());
        window->SendCommand("PL\r");
    }
    QTextStream out(stdout);
    for (const auto &message : messages.shown)
        out << message.text << '\t' << message.informative.split(u'\n').join(u'|') << '\n';
    if (list && window->VekComm().isOpen())
        out << "open\t" << list->toolTip().split(u'\n').join(u'|') << '\n';
    return 0;
}

QByteArray loopback(const char *scheme, quint16 port)
{
    return scheme + QByteArray("://127.0.0.1:") + QByteArray::number(port);
}

// The line as the device end of a pseudo-terminal sees it set.
bool set9600N81(int master)
{
    termios line = {};
    return ::tcgetattr(master, &line) == 0 && ::cfgetospeed(&line) == B9600 &&
           (line.c_cflag & CSIZE) == CS8 && !(line.c_cflag & (PARENB | CSTOPB | CRTSCTS));
}

// A process's sockets as the system's tables show them: local, remote, state, table.
QList<QList<QByteArray>> socketsOf(qint64 pid)
{
    const QString proc = QStringLiteral("/proc/%1/").arg(pid);
    QSet<QByteArray> inodes;
    for (const auto &fd : QDir(proc + "fd").entryInfoList(QDir::System | QDir::NoDotAndDotDot))
        inodes.insert(fd.symLinkTarget().section(u'[', 1).section(u']', 0, 0).toLatin1());
    QList<QList<QByteArray>> sockets;
    for (const QString table : {"tcp", "tcp6", "udp", "udp6"}) {
        for (const QByteArray &line : fileContent(proc + "net/" + table).split('\n')) {
            const auto fields = line.simplified().split(' ');
            if (fields.size() > 9 && inodes.contains(fields.at(9)))
                sockets.append({fields.at(1), fields.at(2), fields.at(3), table.toLatin1()});
        }
    }
    return sockets;
}

} // namespace

// The port numbers, the probe, the link, and the line that comes back.
class TestPorts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        com::overrideSerialDevices([] { return systemDevices; });
    }

    // However a test ends, the next one starts with no serial devices.
    void cleanup() { systemDevices.clear(); }

    void numbering_data()
    {
        QTest::addColumn<QStringList>("system");
        QTest::addColumn<QStringList>("expected"); // "n=path" for every present port

        QTest::newRow("UARTs, then USB, then ACM, each by index")
            << QStringList{"/dev/ttyACM0", "/dev/ttyUSB10", "/dev/ttyS1",
                           "/dev/ttyUSB2", "/dev/ttyS0",    "/dev/rfcomm0"}
            << QStringList{"1=/dev/ttyS0", "2=/dev/ttyS1", "3=/dev/ttyUSB2", "4=/dev/ttyUSB10",
                           "5=/dev/ttyACM0"};
        QStringList many, sixteen;
        for (int i = 0; i < 20; ++i)
            many.append(QStringLiteral("/dev/ttyUSB%1").arg(i));
        for (int n = 1; n <= 16; ++n)
            sixteen.append(QStringLiteral("%1=/dev/ttyUSB%2").arg(n).arg(n - 1));
        QTest::newRow("never beyond 16") << many << sixteen;
    }

    void numbering()
    {
        QFETCH(QStringList, system);
        QFETCH(QStringList, expected);
        const auto table = com::assignPorts({}, com::orderSerialDevices(system));
        QStringList present;
        for (int n = 0; n < com::kPortCount; ++n) {
            if (!table[size_t(n)].isEmpty())
                present.append(QStringLiteral("%1=%2").arg(n).arg(table[size_t(n)]));
        }
        QCOMPARE(present, expected);
    }

    // The same rules on real links and devices, read from ports/ at a start:
    // letters stand for pseudo-terminals, "-" for a link that dangles.
    void numberingAtStart_data()
    {
        QTest::addColumn<QString>("pinned"); // per port number from 0, "." for no link
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("expected"); // per port number from 0, "." for absent
        const auto row = [](const char *name, const char *pinned, const char *system,
                            const char *expected) {
            QTest::newRow(name) << QString(pinned) << QString(system) << QString(expected);
        };
        row("two pins in a row among the system's devices", "..ab", "cd", ".cabd");
        row("a dangling pin keeps its number from the system's devices", ".-a", "bc", "..abc");
        row("a pinned device is not numbered twice", "...b", "abc", ".acb");
        row("pins either side of the system's devices", "a..b", "cd", "acdb");
    }

    void numberingAtStart()
    {
        QFETCH(QString, pinned);
        QFETCH(QString, system);
        QFETCH(QString, expected);
        AppDirectory dir;
        PseudoTerminal devices[4];
        const auto path = [&devices](QChar letter) {
            return devices[letter.unicode() - u'a'].slavePath();
        };
        const auto at = [](const QString &row, int n) { return n < row.size() ? row[n] : u'.'; };
        for (int n = com::kLowestPort; n <= com::kHighestPort; ++n) {
            const QChar pin = at(pinned, n);
            if (pin == u'.')
                QVERIFY(QFile::remove(dir.filePath(QStringLiteral("ports/COM%1").arg(n))));
            else if (pin != u'-')
                dir.pin(n, path(pin));
        }
        for (const QChar device : system)
            systemDevices.append(path(device));
        QList<int> present;
        for (int n = com::kLowestPort; n <= com::kHighestPort; ++n) {
            const QChar device = at(expected, n);
            QCOMPARE(com::devicePath(n), device == u'.' ? QString() : path(device));
            if (device != u'.')
                present.append(n);
        }
        QCOMPARE(com::ProbePorts(), present);
    }

    void probe_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("free");
        QTest::newRow("pinned pseudo-terminal") << "pinned" << true;
        QTest::newRow("dangling link") << "dangling" << false;
        QTest::newRow("link to a plain file") << "file" << false;
        QTest::newRow("held by another serial program") << "serialport" << false;
        QTest::newRow("held exclusively") << "exclusive" << false;
    }

    void probe()
    {
        QFETCH(QString, how);
        QFETCH(bool, free);
        AppDirectory dir;
        PseudoTerminal device;
        dir.pin(4, device);
        QSerialPort holder(device.slavePath());
        int fd = -1;
        if (how == QLatin1String("dangling")) {
            dir.unpin(4);
        } else if (how == QLatin1String("file")) {
            QFile plain(dir.filePath(QStringLiteral("plain")));
            QVERIFY(plain.open(QIODevice::WriteOnly));
            dir.pin(4, plain.fileName());
        } else if (how == QLatin1String("serialport")) {
            QVERIFY(holder.open(QIODevice::ReadWrite));
        } else if (how == QLatin1String("exclusive")) {
            fd = ::open(device.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
            QVERIFY(fd >= 0);
            QCOMPARE(::ioctl(fd, TIOCEXCL), 0);
        }
        QCOMPARE(com::ProbePort(4), free);
        if (fd >= 0) {
            ::ioctl(fd, TIOCNXCL);
            ::close(fd);
        }
        QVERIFY(!com::ProbePort(3) && !com::ProbePort(-1) && !com::ProbePort(17));
        if (free) {
            QCOMPARE(com::devicePath(4), device.slavePath());
            // Probing leaves the port closed: another program can take it.
            QVERIFY(holder.open(QIODevice::ReadWrite));
        }
    }

    // A port number pinned to a server: probed at start, offered when the
    // server accepts, named on the list's tooltip with the reason when not.
    void networkPorts_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<QString>("told"); // in the tooltip; %P its port, %F the pin file
        QTest::newRow("server accepting, by a name the system knows: offered")
            << "accepting" << true << "";
        QTest::newRow("nothing listening: refused")
            << "refused" << false
            << "COM1 (socket://127.0.0.1:%P): the server refused the connection.";
        QTest::newRow("host that drops packets: timed out")
            << "silent" << false << "COM1 (rfc2217://127.0.0.1:%P): the connection timed out";
        QTest::newRow("sixteen silent servers, asked at once: each timed out")
            << "sixteen silent" << false << "COM16 (rfc2217://127.0.0.1:%P): the connection timed";
        QTest::newRow("a name no resolver can hold: not found, the network never asked")
            << "unresolvable" << false
            << "COM1 (rfc2217://" + QString(64, u'a') + ".invalid:4001): host name";
        QTest::newRow("another scheme: the pin file named, its fault told")
            << "invalid" << false
            << "COM1 (%F): \"telnet://127.0.0.1:23\" is not rfc2217://HOST:PORT or "
               "socket://HOST:PORT.";
    }

    void networkPorts()
    {
        QFETCH(QString, server);
        QFETCH(bool, offered);
        QFETCH(QString, told);
        AppDirectory dir;
        // Number 2 is left to the system's devices: a pin's number is never theirs.
        PseudoTerminal local;
        QFile::remove(dir.filePath("ports/COM2"));
        systemDevices = {local.slavePath()};
        std::vector<std::unique_ptr<Listener>> servers;
        quint16 port = freeLoopbackPort();
        for (int n = 0; n <= com::kHighestPort; ++n) {
            if (n == 2 || server == "refused" || (n != 1 && server != "sixteen silent"))
                continue;
            servers.push_back(std::make_unique<Listener>(server.endsWith("silent") ? 0 : 16));
            if (server.endsWith("silent"))
                servers.back()->silence();
            port = servers.back()->port();
            dir.pinServer(n, server == "accepting"
                                 ? "socket://localhost:" + QByteArray::number(port)
                                 : loopback("rfc2217", port));
        }
        if (server == "refused")
            dir.pinServer(1, loopback("socket", port));
        else if (server == "unresolvable")
            dir.pinServer(1, "rfc2217://" + QByteArray(64, 'a') + ".invalid:4001");
        else if (server == "invalid")
            dir.pinServer(1, "telnet://127.0.0.1:23\r\n");
        RecordingMessages messages;
        Terminal window(messages);
        const auto *list = window.findChild<QComboBox *>("PortCmb");
        QCOMPARE(list->count(), offered ? 2 : 1);
        QCOMPARE(list->itemText(list->count() - 1), "2");
        QCOMPARE(com::devicePath(2), local.slavePath());
        QCOMPARE(com::ProbePort(1), offered);
        const QString tooltip = list->toolTip();
        told.replace("%F", dir.filePath("ports/COM1")).replace("%P", QString::number(port));
        QVERIFY2(tooltip.contains(told), qPrintable(tooltip));
        QCOMPARE(tooltip.count("timed out"),
                 qsizetype(server.endsWith("silent") ? servers.size() : 0));
        QVERIFY(messages.shown.isEmpty());
        systemDevices.clear();
    }

    // Through ser2net to a pseudo-terminal: the line set as a local port
    // opens it, every byte value both ways unchanged, and no socket of the
    // program's listening.
    void networkLine_data()
    {
        QTest::addColumn<bool>("rfc2217");
        QTest::addColumn<bool>("modemLines");
        QTest::newRow("RFC 2217, every request acknowledged") << true << true;
        QTest::newRow("RFC 2217, the modem lines never acknowledged") << true << false;
        QTest::newRow("raw TCP") << false << false;
    }

    void networkLine()
    {
        QFETCH(bool, rfc2217);
        QFETCH(bool, modemLines);
        ZENTREL_REQUIRE_SER2NET();
        AppDirectory dir;
        PseudoTerminal device;
        Ser2Net server(device.slavePath(),
                       rfc2217 ? Ser2Net::Accepter::Rfc2217 : Ser2Net::Accepter::Raw, modemLines);
        QVERIFY2(listening(server.port()), qPrintable(server.errors()));
        dir.pinServer(1, server.pin() + "  \r\n");
        dir.writeIni(iniWith("1"));
        RecordingMessages messages;
        Terminal window(messages);
        const SerialLink &link = window.VekComm();
        QVERIFY2(link.isOpen(), qPrintable(messages.texts().join(u'|') + server.errors()));
        QByteArray received;
        connect(&link, &SerialLink::received, this,
                [&](const QByteArray &bytes) { received += bytes; });
        if (rfc2217)
            QTRY_VERIFY_WITH_TIMEOUT(set9600N81(device.masterFd()), 10000);
        if (modemLines)
            QTRY_VERIFY_WITH_TIMEOUT(fileContent(server.modemLog()).endsWith("dtr 1 rts 1\n"),
                                     10000);
        window.SendCommand(everyByte());
        QCOMPARE(device.read(256), everyByte());
        device.write(everyByte());
        QTRY_COMPARE_WITH_TIMEOUT(received, everyByte(), 10000);
        QCOMPARE(device.sentSoFar(), QByteArray());
        QVERIFY(messages.shown.isEmpty());
        // Connected, and listening nowhere: no TCP socket in state 0A, no UDP.
        const auto sockets = socketsOf(QCoreApplication::applicationPid());
        QVERIFY(std::any_of(sockets.begin(), sockets.end(), [&](const auto &socket) {
            return socket.at(1) == loopbackEnd(server.port()) && socket.at(2) == "01";
        }));
        for (const auto &socket : sockets)
            QVERIFY2(socket.at(3).startsWith("tcp") && socket.at(2) != "0A", socket.join(' '));
    }

    // The server fails the port. Gone with the port open: closed like a
    // pulled cable, told on a send, back by itself once the server accepts
    // again. Accepting and then not serving: refused with its reason at the
    // start and at a send, and taken once the server serves again.
    void serverFaults_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("why");
        const QString inUse = "the server says the port is in use: \"Port already in use\".";
        const auto row = [](const char *name, const char *server, const char *fault,
                            const QString &why = {}) {
            QTest::newRow(name) << QString(server) << QString(fault) << why;
        };
        row("ser2net killed and started again, RFC 2217", "rfc2217", "killed");
        row("ser2net killed and started again, raw TCP", "raw", "killed");
        row("connection reset by the server", "listener", "reset");
        row("port in use, ser2net's words, RFC 2217", "rfc2217", "in use", inUse);
        row("port in use, ser2net's words, raw TCP", "raw", "in use", inUse);
        row("closed half-way through the negotiation", "hang-up", "hang-up",
            "the server closed the connection at once");
    }

    void serverFaults()
    {
        QFETCH(QString, server);
        QFETCH(QString, fault);
        QFETCH(QString, why);
        AppDirectory dir;
        PseudoTerminal device;
        Listener listener;
        HangUpServer hangUp;
        std::unique_ptr<Ser2Net> ser2net;
        QTcpSocket holder; // another client, first on the port
        QByteArray pin = server == "listener" ? loopback("socket", listener.port())
                                              : loopback("rfc2217", hangUp.port());
        if (server == "rfc2217" || server == "raw") {
            ZENTREL_REQUIRE_SER2NET();
            ser2net = std::make_unique<Ser2Net>(device.slavePath(),
                                                server == "raw" ? Ser2Net::Accepter::Raw
                                                                : Ser2Net::Accepter::Rfc2217);
            pin = ser2net->pin();
        }
        if (fault == "in use") {
            holder.connectToHost(QStringLiteral("127.0.0.1"), ser2net->port());
            QVERIFY(holder.waitForConnected(5000) &&
                    (server == "raw" || holder.waitForReadyRead(5000)));
        }
        dir.pinServer(1, pin);
        dir.writeIni(iniWith("1"));
        RecordingMessages messages;
        Terminal window(messages);
        SerialLink &link = window.VekComm();
        QSignalSpy failed(&link, &SerialLink::lineFailed);
        const bool refused = fault == "in use" || fault == "hang-up";
        if (refused) {
            QCOMPARE(messages.texts(), QStringList{"COMM port may be in use by another program!"});
            QCOMPARE(messages.shown.last().title, "Error opening COM1!");
            QVERIFY2(messages.shown.last().informative.contains(why),
                     qPrintable(messages.shown.last().informative));
        } else {
            device.write("A\r");
            QTRY_VERIFY_WITH_TIMEOUT(!ser2net || window.log()->text().contains("Receiving: A"),
                                     10000);
            ser2net ? ser2net->stop() : listener.resetAll();
            QTRY_VERIFY_WITH_TIMEOUT(!link.isOpen(), 10000);
        }
        QVERIFY(!link.isOpen());
        clickButton(window, "Pelvox2PlayCmd");
        QCOMPARE(messages.texts().last(), kLineError);
        const QString told = messages.shown.last().informative;
        QVERIFY2(told.startsWith("COM1 (" + pin + "): ") && told.contains(why), qPrintable(told));
        QVERIFY(!window.log()->text().contains("Command Sent"));
        if (fault == "hang-up")
            return;

        // Serving again: started again, the other client gone, or still listening.
        if (fault == "killed")
            QVERIFY2(ser2net->start(), qPrintable(ser2net->errors()));
        holder.abort();
        const auto shown = messages.shown.size();
        QTRY_VERIFY_WITH_TIMEOUT(refused ? link.open() : link.isOpen(), 15000);
        QCOMPARE(messages.shown.size(), shown);
        QCOMPARE(failed.count(), refused ? 0 : 1);
        if (!ser2net)
            return;
        clickButton(window, "Pelvox2PlayCmd");
        QCOMPARE(device.read(3), QByteArray("PL\r"));
        device.write("R\r");
        QTRY_VERIFY_WITH_TIMEOUT(window.log()->text().contains("Receiving: R"), 10000);
        QCOMPARE(window.log()->text().contains("Receiving: A"), !refused);
    }

    // A server that never reads: Rapid Fire keeps what waits on the
    // connection within the transmit buffer, however long it runs.
    void stalledServer()
    {
        AppDirectory dir;
        const Listener server(16, 1); // the smallest receive buffer there is
        dir.pinServer(1, loopback("socket", server.port()));
        dir.writeIni(iniWith("1"));
        RecordingMessages messages;
        Terminal window(messages);
        const QByteArray command(64, 'x');
        window.SendCommand(command);
        auto *socket = window.VekComm().findChild<QTcpSocket *>();
        QVERIFY(socket);
        const auto waiting = [socket](unsigned long which) {
            int queued = 0;
            ::ioctl(int(socket->socketDescriptor()), which, &queued);
            return socket->bytesToWrite() + queued;
        };
        clickButton(window, "RapidCmd");
        // The server's window full: bytes the system holds back, unsent.
        QTRY_VERIFY_WITH_TIMEOUT(waiting(SIOCOUTQNSD) > 0, 30000);
        qint64 most = 0;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] { most = std::max(most, waiting(TIOCOUTQ)); });
        watch.start(1);
        // Two hundred chances to queue more than the transmit buffer, well
        // before the link gives up on a server that takes nothing for seconds.
        QSignalSpy ticks(&window.rapidFire()->RapidTimer(), &QTimer::timeout);
        QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 200, 30000);
        clickButton(window, "RapidCmd");
        QVERIFY2(most <= 512 + command.size(), qPrintable(QString::number(most)));
        QCOMPARE(messages.texts(), QStringList());
    }

    // The simulator behind ser2net: Play reaches it, its answer is logged.
    void simulatorBehindServer()
    {
        ZENTREL_REQUIRE_SER2NET();
        AppDirectory dir;
        QTemporaryDir simulatorDir;
        ChildProcess sim(kSim, {"--port", "1", "--dir", simulatorDir.path()});
        QVERIFY2(sim.waitForLine("on port 1"), qPrintable(sim.errors()));
        Ser2Net server(QFileInfo(simulatorDir.filePath("ports/COM1")).canonicalFilePath(),
                       Ser2Net::Accepter::Rfc2217);
        dir.pinServer(1, server.pin());
        dir.writeIni(iniWith("1"));
        RecordingMessages messages;
        Terminal window(messages);
        clickButton(window, "Pelvox2PlayCmd");
        QVERIFY2(sim.waitForLine("request PL"), qPrintable(sim.output()));
        QTRY_VERIFY_WITH_TIMEOUT(window.log()->text().contains("Receiving: R|"), 10000);
    }

    void identity_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *node, const char *expected) {
            QTest::newRow(name) << QString(node) << QString(expected);
        };
        row("an adapter by vendor, product, serial number, interface and port", "/dev/ttyUSB0",
            "usb 0403:6001 serial FT12AB interface 00 port 0");
        row("an adapter without a serial number by its USB port path", "/dev/ttyUSB1",
            "usb 067b:2303 path pci0000:00/0000:00:14.0/usb1/1-3 interface 00 port 0");
        row("its twin on another USB port is another device", "/dev/ttyUSB2",
            "usb 067b:2303 path pci0000:00/0000:00:14.0/usb1/1-4 interface 00 port 0");
        row("an ACM modem by its interface", "/dev/ttyACM0",
            "usb 2341:0043 serial 7543 interface 02 port 0");
        row("a built-in UART is its node", "/dev/ttyS0", "/dev/ttyS0");
        row("a node sysfs does not know is its node", "/dev/ttyUSB9", "/dev/ttyUSB9");
        row("a pseudo-terminal has none: its node is reused", "/dev/pts/3", "");
    }

    void identity()
    {
        QFETCH(QString, node);
        QFETCH(QString, expected);
        QTemporaryDir sysfs;
        standInSysfs(sysfs.path());
        QCOMPARE(com::deviceIdentity(node, sysfs.path()), expected);
    }

    void simulatorStopped_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<bool>("rapid");
        QTest::newRow("Ctrl+C, then Play") << int(SIGINT) << false;
        QTest::newRow("Ctrl+C during Rapid Fire") << int(SIGINT) << true;
        QTest::newRow("SIGKILL, then Play") << int(SIGKILL) << false;
        QTest::newRow("SIGKILL during Rapid Fire") << int(SIGKILL) << true;
    }

    // The program on the simulator's port; a second device that numbering
    // afresh would move up to port 1; an unrelated terminal on the freed node.
    void simulatorStopped()
    {
        QFETCH(int, signalNumber);
        QFETCH(bool, rapid);
        AppDirectory dir;
        QFile::remove(dir.filePath("ports/COM1"));
        PseudoTerminal second;
        systemDevices = {second.slavePath()};
        auto sim = startSim(dir);
        QVERIFY2(sim->waitForLine("on port 1"), qPrintable(sim->errors()));
        const QString node = QFileInfo(dir.filePath("ports/COM1")).symLinkTarget();
        dir.writeIni("Port: 1\r\nView: Standard\r\n");
        RecordingMessages messages;
        Terminal window(messages);
        QVERIFY(window.VekComm().isOpen());
        if (rapid) {
            window.SendCommand("PL\r");
            QVERIFY(sim->waitForLine("request PL"));
            QSignalSpy ticks(&window.rapidFire()->RapidTimer(), &QTimer::timeout);
            clickButton(window, "RapidCmd");
            QTRY_VERIFY(ticks.count() >= 50);
        }

        sim->sendSignal(signalNumber);
        sim->waitForExit();
        QTRY_VERIFY_WITH_TIMEOUT(!window.VekComm().isOpen(), 5000);
        const auto unrelated = takeNode(node);
        if (rapid) {
            QTRY_VERIFY(!window.rapidFire()->RapidTimer().isActive());
            QVERIFY(messages.shown.size() <= 1);
        } else {
            clickButton(window, "Pelvox2PlayCmd");
            QCOMPARE(messages.texts(), QStringList{kLineError});
            QVERIFY(!window.log()->text().contains("Command Sent"));
        }
        QCOMPARE(second.sentSoFar(300), QByteArray());
        QCOMPARE(unrelated.back()->sentSoFar(300), QByteArray());
        if (signalNumber == SIGKILL) { // at a new start the stale pin is no port either
            const QString again = dir.path() + "-again";
            QVERIFY(QFile::link(dir.path(), again));
            const AppPathOverride restart(again);
            const bool absent = com::devicePath(1).isEmpty();
            QFile::remove(again);
            QVERIFY(absent);
        }

        // Started again, on its own pin left stale or afresh.
        const auto shown = messages.shown.size();
        sim = startSim(dir);
        QVERIFY2(sim->waitForLine("on port 1"), qPrintable(sim->errors()));
        QTRY_VERIFY_WITH_TIMEOUT(window.VekComm().isOpen(), 5000);
        // The fault stopped Rapid Fire: nothing goes out until it is started again.
        auto *rapidButton = window.findChild<QPushButton *>("RapidCmd");
        QCOMPARE(rapidButton->text(), QStringLiteral("Rapid Fire"));
        clickButton(window, rapid ? "RapidCmd" : "Pelvox2PlayCmd");
        QTRY_VERIFY_WITH_TIMEOUT(sim->output().contains("request PL"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(window.log()->text().contains("Receiving: R"), 5000);
        QCOMPARE(messages.shown.size(), shown);
    }

    void reconnect_data()
    {
        QTest::addColumn<QString>("pin"); // link, by-id (a stand-in), auto
        QTest::addColumn<QString>("replug");
        QTest::addColumn<bool>("reopens");
        const auto row = [](const char *name, const char *pin, const char *replug, bool reopens) {
            QTest::newRow(name) << QString(pin) << QString(replug) << reopens;
        };
        row("ports link re-pointed", "link", "link", true);
        row("by-id link re-pointed behind an unchanged ports link", "by-id", "by-id", true);
        row("by-id folder gone with the last adapter and made again", "by-id", "folder", true);
        row("held by another program when it returns, taken once let go", "link", "held", true);
        row("another pseudo-terminal on the old node behind an unchanged link", "link", "same node",
            false);
        row("automatic numbering: a second device is not the one that went", "auto", "second",
            false);
        row("another port selected while waiting", "link", "other", false);
        row("Exit while waiting", "link", "exit", false);
    }

    void reconnect()
    {
        QFETCH(QString, pin);
        QFETCH(QString, replug);
        QFETCH(bool, reopens);
        AppDirectory dir;
        auto first = std::make_unique<PseudoTerminal>();
        PseudoTerminal fresh, other;
        const QString byId = dir.filePath("by-id");
        const QString alias = byId + "/usb-Stand_In_0001-if00-port0";
        if (pin == "link") {
            dir.pin(1, *first);
        } else if (pin == "by-id") {
            QDir().mkpath(byId);
            QFile::link(first->slavePath(), alias);
            dir.pin(1, alias);
        } else {
            QFile::remove(dir.filePath("ports/COM1"));
            systemDevices = {first->slavePath()};
        }
        dir.pin(2, other);
        dir.writeIni("Port: 1\r\nView: Standard\r\n");
        RecordingMessages messages;
        Terminal window(messages);
        const SerialLink &link = window.VekComm();
        QVERIFY(link.isOpen());

        const QString node = first->slavePath();
        if (replug == "same node")
            first.reset();
        else
            first->unplug();
        if (replug == "folder")
            QDir(byId).removeRecursively();
        QTRY_VERIFY_WITH_TIMEOUT(!link.isOpen(), 5000);
        // The local line tries a device at most every two seconds.
        QElapsedTimer sinceSend;
        sinceSend.start();
        int looksPastGap = 0;
        connect(link.findChild<ReconnectWatcher *>(), &ReconnectWatcher::lookDue, this,
                [&] { looksPastGap += sinceSend.elapsed() > 2100 ? 1 : 0; });
        window.SendCommand("PL\r");
        QCOMPARE(messages.texts(), QStringList{kLineError});
        QCOMPARE(messages.shown[0].informative,
                 "COM1: the device went away; the port opens again by itself when it is back.");

        PseudoTerminal *back = &fresh;
        std::vector<std::unique_ptr<PseudoTerminal>> reused;
        QSerialPort holder(fresh.slavePath());
        if (replug == "by-id" || replug == "folder") {
            QFile::remove(alias);
            QDir().mkpath(byId);
            QFile::link(fresh.slavePath(), alias);
        } else if (replug == "second") {
            systemDevices = {fresh.slavePath()};
        } else if (replug == "same node") {
            reused = takeNode(node);
            back = reused.back().get();
        } else {
            if (replug == "held")
                QVERIFY(holder.open(QIODevice::ReadWrite));
            if (replug == "other") {
                auto *ports = window.findChild<QComboBox *>("PortCmb");
                ports->setCurrentIndex(ports->findText("2"));
                Q_EMIT ports->activated(ports->currentIndex());
            }
            if (replug == "exit")
                clickButton(window, "ExitCmd");
            dir.pin(1, fresh);
        }
        if (replug == "held") {
            QTRY_COMPARE_WITH_TIMEOUT(link.refusal().reason, com::Refusal::Reason::Locked, 10000);
            QVERIFY(!link.isOpen());
            // Back, but another program holds it: its lock is the reason told.
            window.SendCommand("PL\r");
            QCOMPARE(messages.shown.size(), 2);
            QVERIFY2(messages.shown[1].informative.contains("locked by process"),
                     qPrintable(messages.shown[1].informative));
            messages.shown.removeLast();
            holder.close();
        }

        if (reopens) {
            QTRY_VERIFY_WITH_TIMEOUT(link.isOpen(), 5000);
            back->write("R\r");
            QTRY_VERIFY_WITH_TIMEOUT(window.log()->text().contains("Receiving: R"), 5000);
            window.SendCommand("PL\r");
            QCOMPARE(back->read(3), QByteArray("PL\r"));
            if (replug == "link") { // pulled a second time, and back again
                PseudoTerminal third;
                back->unplug();
                QTRY_VERIFY_WITH_TIMEOUT(!link.isOpen(), 5000);
                dir.pin(1, third);
                QTRY_VERIFY_WITH_TIMEOUT(link.isOpen(), 5000);
                window.SendCommand("PL\r");
                QCOMPARE(third.read(3), QByteArray("PL\r"));
            }
        } else {
            back->write("R\r");
            QTRY_COMPARE(back->waitingForProgram(), 2);
            // A link still waiting must have looked for its device twice after
            // the attempt gap since the failed send, when it could have opened
            // the wrong one; one that ended its wait must never look again.
            QCOMPARE(link.isWaiting(), replug == "same node" || replug == "second");
            if (link.isWaiting())
                QTRY_VERIFY_WITH_TIMEOUT(looksPastGap >= 2, 15000);
            QCOMPARE(back->waitingForProgram(), 2); // nobody opened it to read
            QVERIFY(!window.log()->text().contains("Receiving"));
            QCOMPARE(link.isOpen(), replug == "other");
        }
        if (replug == "exit")
            QVERIFY(dir.readIni().startsWith("Port: 1\r\n"));
        QCOMPARE(messages.texts(), QStringList{kLineError});
    }

    // Refused ports as an unprivileged user meets them: as root, each case builds real devices and
    // lock files, then reruns this program through setpriv as uid and gid 65534 without groups
    // (nobody).
    void refusedPorts_data()
    {
        // Per port from 1, "u" the user may use it, "g" its group only; then a lock on port 1.
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("facts"); // in each informative text
        const QStringList noPort = {"No available COMM ports detected, shutting down!"};
        QTest::newRow("device of a group the user is not in, no other port")
            << "g" << noPort
            << QStringList{"COM1 (%1)", "group dialout", "sudo adduser $USER dialout", "log in"};
        QTest::newRow("one port refused, one open: the list's tooltip names the refused one")
            << "ug" << QStringList{} << QStringList{"COM2 (%2)", "dialout"};
        QTest::newRow("own lock naming another user's live process: selection and send refused")
            << "u live"
            << QStringList{"COMM port may be in use by another program!",
                           "Error on COM1, port may be in use already!"}
            << QStringList{"COM1 (%1)", "process %3 (tst_ports)"};
        QTest::newRow("dead process's lock the user may remove: removed, port opens")
            << "u dead" << QStringList{} << QStringList{};
        QTest::newRow("dead process's root lock in a sticky folder")
            << "u root" << noPort << QStringList{"COM1 (%1)", "%4", "no longer runs"};
    }

    void refusedPorts()
    {
        QFETCH(QString, setup);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, facts);
        const QString ports = setup.section(u' ', 0, 0), lock = setup.section(u' ', 1);
        ZENTREL_REQUIRE_ROOT("devices and locks of other users, then run as nobody");
        const auto *dialout = ::getgrnam("dialout"); // never nobody's group
        const Ownership mine{0600, kOtherOwner, kOtherGroup},
            group{0660, 0, dialout ? int(dialout->gr_gid) : 0};
        // Root's home is closed to others: all nobody needs goes in a 0755 folder in /tmp.
        AppDirectory dir;
        const QString program = dir.filePath("tst_ports"), locks = dir.filePath("locks");
        QVERIFY(QDir().mkpath(locks) && QFile::copy(qApp->applicationFilePath(), program));
        QVERIFY(setOwnership(dir.path(), {0755, 0, 0}) && setOwnership(program, {0755, 0, 0}) &&
                setOwnership(locks, {01777, 0, 0}));
        PseudoTerminal devices[2];
        for (int i = 0; i < ports.size(); ++i) {
            dir.pin(i + 1, devices[i]);
            QVERIFY(setOwnership(devices[i].slavePath(), ports.at(i) == u'u' ? mine : group));
        }
        dir.writeIni(iniWith("1"));
        QString lockPath = locks + "/LCK.." + devices[0].slavePath().mid(5).replace(u'/', u'_');
        const QString pid = QString::number(QCoreApplication::applicationPid());
        QStringList args = QString("--reuid=65534 --regid=65534 --clear-groups").split(u' ');
        args << program << "--user" << dir.path() << locks;
        QFile file(lockPath); // no Linux process id goes this high
        if (lock == "live")
            args << lockPath << pid;
        else if (!lock.isEmpty())
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("999999999\n") && file.flush() &&
                    setOwnership(lockPath, {0644, lock == "dead" ? kOtherOwner : 0, 0}));
        QProcess user;
        user.start(QStringLiteral("setpriv"), args);
        QVERIFY2(user.waitForFinished(60000) && user.exitCode() == 0,
                 qPrintable(user.errorString() + user.readAllStandardError()));
        QStringList shown, informative;
        for (const auto &line :
             QString(user.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts))
            shown << line.section(u'\t', 0, 0), informative << line.section(u'\t', 1);
        // No message: the port opened, and the list's tooltip tells what was refused.
        QCOMPARE(shown, messages.isEmpty() ? QStringList{"open"} : messages);
        if (facts.isEmpty())
            QCOMPARE(informative, QStringList{QString()});
        for (QString fact : facts) {
            fact.replace("%1", devices[0].slavePath()).replace("%2", devices[1].slavePath());
            fact.replace("%3", pid).replace("%4", lockPath);
            for (const auto &why : informative)
                QVERIFY2(why.contains(fact), qPrintable(why + " lacks " + fact));
        }
        if (!lock.isEmpty())
            QCOMPARE(QFile::exists(lockPath), !messages.isEmpty());
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TestPorts test;
    return app.arguments().value(1) == "--user" ? runAsUser(app.arguments())
                                                : QTest::qExec(&test, argc, argv);
}
#include "tst_ports.moc"
