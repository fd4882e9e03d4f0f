#include "devicefactory.h"
#include "showcontrollerdevice.h"
#include "simprocess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <csignal>

using zentrel::test::ChildProcess;
using zentrel::test::LineEnd;
using namespace zentrel::sim;

namespace {

const QString kSim = QStringLiteral(ZENTREL_SIM_PATH);

// A program directory of the simulator's own, whose port 1 may be pinned to
// `pinned` before the simulator starts.
struct SimDirectory
{
    explicit SimDirectory(const QString &pinned)
    {
        if (pinned.isEmpty())
            return;
        QDir(dir.path()).mkpath(QStringLiteral("ports"));
        QFile::link(pinned, link(1));
    }
    QString link(int port) const { return dir.filePath(QStringLiteral("ports/COM%1").arg(port)); }

    QTemporaryDir dir;
};

struct Sim : SimDirectory, ChildProcess
{
    explicit Sim(const QStringList &arguments, const QString &pinned = {})
        : SimDirectory(pinned), ChildProcess(kSim, arguments + QStringList{"--dir", dir.path()})
    {}
};

const QByteArray kAck(1, ShowControllerDevice::kAck);
const QByteArray kNack(1, ShowControllerDevice::kNack);

// A framed show-controller packet with its checksum, the body given in hex.
QByteArray packet(uchar target, uchar mode, const char *body)
{
    QByteArray bytes = QByteArray::fromHex(body);
    bytes.prepend(char(bytes.size())).prepend(char(mode)).prepend(char(target));
    uint sum = 0;
    for (const char c : bytes)
        sum += uchar(c);
    return char(0xF5) + bytes + char(sum & 0xFF);
}

// What the device answers to the input, then to the line going quiet.
QByteArray replies(SimDevice &device, QByteArrayView input, bool thenQuiet = true)
{
    QByteArray all;
    for (const auto &exchange : device.feed(input))
        all += exchange.reply;
    for (const auto &exchange : thenQuiet ? device.lineIdle() : QList<Exchange>())
        all += exchange.reply;
    return all;
}

QByteArray bytewise(SimDevice &device, const QByteArray &input)
{
    QByteArray all;
    for (const char c : input)
        all += replies(device, QByteArrayView(&c, 1), false);
    return all;
}

} // namespace

// The simulator's devices, written from the protocols, apart from the line;
// the simulator as a user runs it (options, the link it pins, the line);
// and both programs installed.
class TestPrograms : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ascii_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected"); // a pattern where it starts with ^
        const auto row = [](const char *name, const char *family, int unit, const char *input,
                            const char *reply) {
            QTest::newRow(name) << QString::fromLatin1(family) << unit << QByteArray(input)
                                << QByteArray(reply);
        };
        row("no prefix answers", "pelvox2", 1, "PL\r", "R\r");
        row("star answers", "pelvox2", 3, "*@PL\r", "R\r");
        row("other unit is silent, even on unknown commands", "pelvox2", 1, "5@ZZ\r", "");
        row("digit and star is no unit of ours", "pelvox2", 1, "1*@PL\r", "");
        row("four-digit prefix is no prefix", "pelvox2", 1, "1234@PL\r", "E\r");
        row("nothing before the carriage return", "pelvox2", 1, "PL", "");
        row("empty line refused", "pelvox2", 1, "\r", "E\r");
        row("argument where none belongs", "pelvox2", 1, "5PL\r", "E\r");
        row("p2 unit ID 127 refused", "pelvox2", 1, "127ID\r", "E\r");
        row("p2 has no debug mode", "pelvox2", 1, "1DM\r", "E\r");
        row("p2 unit ID is its own", "pelvox2", 1, "ID\r", "^1\\r$");
        row("hd video format", "pelvoxhd", 1, "\"1080i25-16:9\"VD\r", "R\r");
        row("hd version", "pelvoxhd", 1, "?V\r", "\\d\\.\\d[^\\r]*\\r$");
        row("wendlo assign to all", "wendlo", 1, "25*SE\r", "R\r");
        row("wendlo file 512 refused", "wendlo", 1, "5123SE\r", "E\r");
        row("wendlo channel 9 refused", "wendlo", 1, "9PL\r", "E\r");
        row("orbalite rename", "orbalite", 1, "SONG1MP3NEWMP3RN\r", "R\r");
        row("orbalite storage", "orbalite", 1, "?R\r", "^\\d+ KB\\r$");
    }

    void ascii()
    {
        QFETCH(QString, family);
        QFETCH(int, unit);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        const auto device = makeDevice(family, unit);
        const QByteArray reply = replies(*device, input);
        if (expected.startsWith('^') || expected.endsWith('$'))
            QVERIFY2(QRegularExpression(QString::fromLatin1(expected))
                         .match(QString::fromLatin1(reply))
                         .hasMatch(),
                     reply.constData());
        else
            QCOMPARE(reply, expected);
        // The same bytes one at a time, as a slow line brings them.
        QCOMPARE(bytewise(*makeDevice(family, unit), input), reply);
    }

    void asciiDeviceRemembers()
    {
        const auto device = makeDevice(QStringLiteral("pelvox2"), 1);
        QCOMPARE(replies(*device, "10.1.2.3IP\r12SE\rPA\r"), QByteArray("R\rR\rR\r"));
        QCOMPARE(replies(*device, "IP\r?C\r?P\r"), QByteArray("10.1.2.3\r12\rPA\r"));
        QCOMPARE(replies(*device, "1@45ID\r"), QByteArray("R\r"));
        QCOMPARE(replies(*device, "1@PL\r"), QByteArray());
        QCOMPARE(replies(*device, "45@ID\r"), QByteArray("45\r"));
    }

    void showController_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("ending");
        const auto row = [](const char *name, int address, const QByteArray &input,
                            const QByteArray &end) {
            QTest::newRow(name) << address << input << end;
        };
        const auto hex = [](const char *text) { return QByteArray::fromHex(text); };
        row("on output 1, ACK", 1, hex("F5 01 01 02 02 00 06"), kAck);
        row("send version, none", 0, hex("F5 00 00 01 42 43"), "");
        row("toggle flag 1, message", 5, hex("F5 05 02 02 06 40 4F"), "\r" + kAck);
        row("outport bank 2, checksum wraps", 121, hex("F5 79 02 03 20 01 FF 9E"), "\r" + kAck);
        row("blink output 64 for 255 frames", 12, hex("F5 0C 01 03 04 3F FF 52"), kAck);
        row("packet for another controller ignored", 1, packet(2, 1, "77"), "");
        row("junk before a good packet", 1, hex("00 11") + packet(1, 1, "42"), kNack + kAck);
        row("wrong checksum", 1, hex("F5 01 01 02 02 00 07"), kNack);
        row("missing start byte", 1, hex("01 01 02 02 00 06"), kNack);
        row("length one too long for On", 1, packet(1, 1, "02 00 00"), kNack);
        row("unknown opcode", 1, packet(1, 1, "77"), kNack);
        row("unknown response mode", 1, packet(1, 3, "42"), kNack);
        row("blink of 0 frames", 1, packet(1, 1, "04 00 00"), kNack);
        row("message out without message", 1, packet(1, 1, "0D 01"), kNack);
    }

    void showController()
    {
        QFETCH(int, address);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, ending);
        ShowControllerDevice device(address);
        const QByteArray reply = replies(device, input);
        QVERIFY2(reply.endsWith(ending), reply.toHex(' ').constData());
        QCOMPARE(reply.isEmpty(), ending.isEmpty());
    }

    void helpSaysRepliesAreIllustrative()
    {
        ChildProcess sim(kSim, {QStringLiteral("--help")});
        QCOMPARE(sim.waitForExit(), 0);
        QVERIFY2(sim.output().contains(QStringLiteral("illustrative, not a real device's")),
                 qPrintable(sim.output()));
        for (const char *family : {"pelvox2", "pelvoxhd", "wendlo", "orbalite", "showctl"})
            QVERIFY2(sim.output().contains(QLatin1String(family)), family);
    }

    void refusesBadOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown family") << QStringList{"--family", "tapedeck"};
        QTest::newRow("port 17") << QStringList{"--port", "17"};
        QTest::newRow("unit 128") << QStringList{"--unit", "128"};
        QTest::newRow("controller address 122") << QStringList{"-f", "showctl", "-u", "122"};
        QTest::newRow("stray argument") << QStringList{"pelvox2"};
    }

    void refusesBadOptions()
    {
        QFETCH(QStringList, arguments);
        Sim sim(arguments);
        QCOMPARE(sim.waitForExit(), 2);
        QVERIFY(!sim.errors().isEmpty());
        QVERIFY(!QFileInfo::exists(sim.dir.filePath(QStringLiteral("ports"))));
    }

    void answersOverTheLineAndReportsEachRequest()
    {
        Sim sim({"--port", "4", "--unit", "7"});
        QVERIFY2(sim.waitForLine(QStringLiteral("on port 4")), qPrintable(sim.errors()));
        LineEnd line(sim.link(4));
        QVERIFY(line.isOpen());

        line.write("7@PL\r3@PL\rZZ\r");
        QCOMPARE(line.read(4), QByteArray("R\rE\r"));
        for (const char *report :
             {"request 7@PL<0D>: unit 7, PL play -> R<0D>",
              "request 3@PL<0D>: unit 3, not this device",
              "request ZZ<0D>: unknown command ZZ -> E<0D>", "the program has read the reply"})
            QVERIFY2(sim.waitForLine(QLatin1String(report)), report);
    }

    void removesItsLinkWhenEnded_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT (Ctrl+C)") << int(SIGINT);
        QTest::newRow("SIGHUP (terminal closed)") << int(SIGHUP);
    }

    void removesItsLinkWhenEnded()
    {
        QFETCH(int, signalNumber);
        Sim sim({"--port", "0"});
        QVERIFY(sim.waitForLine(QStringLiteral("on port 0")));
        QVERIFY(QFileInfo(sim.link(0)).isSymLink());
        sim.sendSignal(signalNumber);
        QCOMPARE(sim.waitForExit(), 0);
        QVERIFY(!QFileInfo(sim.link(0)).isSymLink());
    }

    void keepsAPinThatIsNotItsOwn()
    {
        // An adapter pinned by the user but unplugged at the moment.
        const QString adapter = QStringLiteral("/dev/serial/by-id/usb-FTDI_absent-if00-port0");
        Sim sim({}, adapter);
        QCOMPARE(sim.waitForExit(), 1);
        QVERIFY2(sim.errors().contains(QStringLiteral("already pinned")), qPrintable(sim.errors()));
        QCOMPARE(QFileInfo(sim.link(1)).symLinkTarget(), adapter);
    }

    // `cmake --install` into a prefix of the test's own: the programs, the
    // desktop entry and the icons where a desktop looks for them.
    void installsProgramsEntryAndIcons()
    {
        QTemporaryDir prefix;
        ChildProcess install(
            QStringLiteral(ZENTREL_CMAKE),
            {"--install", QStringLiteral(ZENTREL_BUILD_DIR), "--prefix", prefix.path()});
        QVERIFY2(install.waitForExit(60000) == 0, qPrintable(install.output() + install.errors()));

        for (const char *program : {"bin/zentrel", "bin/zentrel-sim"}) {
            const QFileInfo info(prefix.filePath(QLatin1String(program)));
            QVERIFY2(info.isFile() && info.isExecutable(), program);
        }
        for (const quint32 size : {48u, 64u, 128u, 256u}) {
            QFile icon(prefix.filePath(
                QStringLiteral("share/icons/hicolor/%1x%1/apps/zentrel.png").arg(size)));
            QVERIFY(icon.open(QIODevice::ReadOnly));
            const QByteArray png = icon.read(24);
            QCOMPARE(png.left(16), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
            QCOMPARE(qFromBigEndian<quint32>(png.constData() + 16), size);
            QCOMPARE(qFromBigEndian<quint32>(png.constData() + 20), size);
        }
        const QString entry = prefix.filePath(QStringLiteral("share/applications/zentrel.desktop"));
        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QVERIFY(lines.contains("Exec=zentrel") && lines.contains("Icon=zentrel"));
        // The validator reports errors, warnings and hints; a clean entry has none.
        ChildProcess validate(QStringLiteral("desktop-file-validate"), {entry});
        QCOMPARE(validate.waitForExit(), 0);
        QCOMPARE(validate.output().trimmed(), QString());
    }
};

QTEST_GUILESS_MAIN(TestPrograms)
#include "tst_programs.moc"
