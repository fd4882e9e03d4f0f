#include "devices/devicetabs.h"
#include "devices/validation.h"
#include "serial/networkpin.h"
#include "serial/telnetcodec.h"
#include "showctl/showctlencoder.h"
#include "showctl/showctllayout.h"
#include "terminal/columnbar.h"
#include "terminal/escaperuns.h"
#include "terminal/logwriter.h"
#include "terminal/unitid.h"
#include "testhelpers.h"
#include "tools/apppath.h"
#include "tools/customnotation.h"
#include "tools/filewriter.h"
#include "tools/portlist.h"
#include "tools/settingsfile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace zentrel;
using namespace zentrel::test;

namespace {

struct Piece
{
    Direction direction;
    QByteArray bytes;
};

QByteArray written(const QList<Piece> &pieces, ViewMode mode)
{
    LogText log;
    LogWriter writer(log);
    for (const auto &piece : pieces)
        writer.write(piece.bytes, piece.direction, mode);
    return log.text();
}

// A log of `lines` lines where line n holds n % 7 + 1 characters.
LogText logOf(qsizetype lines)
{
    LogText log;
    for (qsizetype n = 0; n < lines; ++n)
        log.appendLine(QByteArray(n % 7 + 1, char('a' + n % 26)));
    return log;
}

const QString N = QStringLiteral("None");
const QString A = QStringLiteral("ACK, NACK");
const QString M = QStringLiteral("Msg.+ACK,NACK");

QString bytesOfA(int count)
{
    return QStringLiteral("h41").repeated(count);
}

const QByteArray kOld = "the file before\r\n";

void writeRaw(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

QStringList filesIn(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// Telnet as the server sends it, written out from the protocol's numbers.
enum : quint8 { SE = 240, NOP = 241, DM = 242, GA = 249, SB = 250 };
enum : quint8 { WILL = 251, WONT = 252, DO = 253, DONT = 254, IAC = 255 };
enum : quint8 { BINARY = 0, ECHO = 1, SGA = 3, TTYPE = 24, COMPORT = 44 };

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (const int value : values)
        out.append(char(value));
    return out;
}

QByteArray comPort(std::initializer_list<int> payload)
{
    return bytes({IAC, SB, COMPORT}) + bytes(payload) + bytes({IAC, SE});
}

// What ser2net says as a connection opens.
const QByteArray kGreeting =
    bytes({IAC,  WILL, SGA, IAC,    DO,  SGA,  IAC,    WILL, ECHO, IAC,    DONT,
           ECHO, IAC,  DO,  BINARY, IAC, WILL, BINARY, IAC,  DO,   COMPORT});
// 9600 baud, 8 data bits, no parity, 1 stop bit, no flow control, DTR on, RTS on.
const QByteArray kLineSettings = comPort({1, 0, 0, 0x25, 0x80}) + comPort({2, 8}) +
                                 comPort({3, 1}) + comPort({4, 1}) + comPort({5, 1}) +
                                 comPort({5, 8}) + comPort({5, 11});
const QByteArray kSettingsAcknowledged = comPort({101, 0, 0, 0x25, 0x80}) + comPort({102, 8}) +
                                         comPort({103, 1}) + comPort({104, 1}) + comPort({105, 1});
const QByteArray kModemLinesAcknowledged = comPort({105, 8}) + comPort({105, 11});

} // namespace

Q_DECLARE_METATYPE(ViewMode)

// The rules that need no widget: the notation, the unit ID, the panels'
// field checks, the main window's port and tab rules, the log's text, the
// settings file's lines, the one file writer and where the settings file
// lives, and the show controller's packets.
class TestCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void notation_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("refusal");
        const auto row = [](const char *name, const QString &input, const QByteArray &bytes,
                            const QString &refusal = {}) {
            QTest::newRow(name) << input << bytes << refusal;
        };
        row("quoted text and escape", "\"PL\" h0d", "PL\r");
        row("empty input", "", "");
        row("only stray characters", "H0D ,xyz 12", "");
        row("h00 is one zero byte", "h00", QByteArray(1, '\0'));
        row("upper- and lower-case hex digits", "hFFhab", "\xff\xab");
        row("third digit skipped", "h0d0", "\r");
        row("adjacent quotes joined, nothing interpreted inside", "\"AB\"\"h0d\"", "ABh0d");
        row("latin-1 inside quotes", QString::fromUtf8("\"\xc3\xa9\""), "\xe9");
        row("unclosed quote discards the valid text before", "\"PL\" \"", {}, kInvalidStringFormat);
        row("h at the end", "\"PL\" h", {}, kInvalidHexValue);
        row("h with one digit", "h0", {}, kInvalidHexValue);
        row("h with a non-hex digit", "h0g", {}, kInvalidHexValue);
        row("first error wins", "hzz \"", {}, kInvalidHexValue);
        row("beyond latin-1 in quotes", QString::fromUtf8("\"\xe2\x82\xac\""), {},
            kInvalidCharacter);
        row("beyond latin-1 outside quotes is skipped", QString::fromUtf8("\xe2\x82\xac h41"), "A");
    }

    void notation()
    {
        QFETCH(QString, input);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, refusal);
        const auto result = ConvertCustom(input);
        QCOMPARE(result.bytes, bytes);
        QCOMPARE(result.refusal, refusal);
    }

    void address_data()
    {
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QByteArray>("wire"); // "-": refused for want of an ID
        QTest::newRow("addressed") << true << true << true << "12" << QByteArray("12@PL\r");
        QTest::newRow("wildcard kept") << true << true << true << "1*" << QByteArray("1*@PL\r");
        QTest::newRow("no ID given") << true << true << true << "" << QByteArray("-");
        QTest::newRow("flag cleared") << false << true << true << "12" << QByteArray("PL\r");
        QTest::newRow("other tab") << true << false << true << "12" << QByteArray("PL\r");
        QTest::newRow("box unticked") << true << true << false << "" << QByteArray("PL\r");
    }

    void address()
    {
        QFETCH(bool, allowed);
        QFETCH(bool, enabled);
        QFETCH(bool, ticked);
        QFETCH(QString, id);
        QFETCH(QByteArray, wire);
        QCOMPARE(unitid::address("PL\r", {allowed, enabled, ticked, id}).value_or("-"), wire);
    }

    void ipAddress_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("valid");
        QTest::newRow("private address") << "192.168.1.10" << true;
        QTest::newRow("broadcast") << "255.255.255.255" << true;
        QTest::newRow("leading zeros read as decimal") << "192.168.001.010" << true;
        QTest::newRow("a thousand zeros before a one") << QString(1000, u'0') + "1.2.3.4" << true;
        QTest::newRow("all four zero") << "0.0.000.0" << false;
        QTest::newRow("three parts") << "1.2.3" << false;
        QTest::newRow("ends in a dot") << "1.2.3.4." << false;
        QTest::newRow("two dots in a row") << "1..2.3" << false;
        QTest::newRow("part above 255") << "1.2.3.256" << false;
        QTest::newRow("ten nines") << "9999999999.1.1.1" << false;
        QTest::newRow("sign") << "+1.2.3.4" << false;
        QTest::newRow("blank") << " 1.2.3.4" << false;
        QTest::newRow("non-ASCII digit") << QStringLiteral("1.2.3.\u0664") << false;
    }

    void ipAddress()
    {
        QFETCH(QString, address);
        QFETCH(bool, valid);
        QCOMPARE(ValidIP(address), valid);
    }

    // Which port the list shows: the saved one as the settings file is read,
    // or, when another program refuses a port, the one still held.
    void portIndex_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("port"); // saved, or refused
        QTest::addColumn<int>("held");     // -1: the settings file is read
        QTest::addColumn<int>("index");    // -2: the selection stays
        const QStringList ports{"1", "2", "12"};
        QTest::newRow("saved found") << ports << "2" << -1 << 1;
        QTest::newRow("saved, two digits matched whole") << ports << "12" << -1 << 2;
        QTest::newRow("saved missing ends on the last") << ports << "5" << -1 << 2;
        QTest::newRow("saved into an empty list") << QStringList() << "1" << -1 << -2;
        QTest::newRow("saved empty value") << ports << "" << -1 << -2;
        QTest::newRow("saved not a digit") << ports << "x1" << -1 << -2;
        QTest::newRow("refused: back to the held port") << ports << "12" << 2 << 1;
        QTest::newRow("refused, held port not listed") << ports << "12" << 7 << -1;
        QTest::newRow("refused port is the held one") << ports << "12" << 12 << -2;
    }

    void portIndex()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, port);
        QFETCH(int, held);
        QFETCH(int, index);
        const auto found = held < 0 ? portlist::savedPortIndex(entries, port)
                                    : portlist::fallbackIndex(entries, held, port);
        QCOMPARE(found.value_or(-2), index);
    }

    void tabRows()
    {
        QCOMPARE(devicetabs::rowOf(" 8-Bit").value_or(99), 4u);
        QVERIFY(!devicetabs::rowOf("8-Bit"));
    }

    void networkPin_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("server"); // "scheme host port", or a part of the fault
        const auto row = [](const char *name, const QByteArray &content, const char *server) {
            QTest::newRow(name) << content << QString::fromLatin1(server);
        };
        row("RFC 2217 to an IPv4 address", "rfc2217://192.168.1.20:4001",
            "rfc2217 192.168.1.20 4001");
        row("raw TCP to a host name", "socket://rack-3.show.lan:7000",
            "socket rack-3.show.lan 7000");
        row("IPv6 address in brackets", "rfc2217://[::1]:2217", "rfc2217 ::1 2217");
        row("trailing spaces, CR LF and a second line ignored",
            "socket://10.0.0.5:65535  \r\nrack 3 \x01\xff\r\n", "socket 10.0.0.5 65535");
        row("exactly 1 KiB", "socket://h:1\n" + QByteArray(1024 - 13, 'x'), "socket h 1");
        row("empty file", "", "the file is empty");
        row("over 1 KiB", "socket://h:1\n" + QByteArray(1024 - 12, 'x'), "larger than 1 KiB");
        row("another scheme", "telnet://h:23", "is not rfc2217://HOST:PORT or socket://");
        row("no port", "rfc2217://h", "no port");
        row("port 0", "socket://h:0", "port 0 is out of range (1 to 65535)");
        row("port 65536", "socket://h:65536", "out of range");
        row("port beyond any integer", "socket://h:99999999999999999999", "out of range");
        row("IPv6 address without brackets", "socket://::1:4001", "in brackets");
        row("byte beyond ASCII", "socket://h\xe9:1", "byte <E9>");
        row("no host", "socket://:4001", "no host");
        row("unclosed bracket", "rfc2217://[::1:4001", "no closing bracket");
        row("space in the host", "socket://a b:1", "\"a b\" is not a host name");
    }

    void networkPin()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, server);
        const auto pin = com::parseNetworkPin(content);
        const bool rfc2217 = pin.protocol == com::NetworkPin::Protocol::Rfc2217;
        QCOMPARE(pin.valid() ? QStringLiteral("%1 %2 %3")
                                   .arg(rfc2217 ? "rfc2217" : "socket", pin.host)
                                   .arg(pin.port)
                 : pin.problem.contains(server) ? server
                                                : pin.problem,
                 server);
    }

    void telnet_data()
    {
        QTest::addColumn<QByteArray>("fromServer");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("settled");
        QTest::addColumn<QByteArray>("wire"); // what the line's "\r\xff" becomes
        const auto row = [](const char *name, const QByteArray &fromServer, const QByteArray &data,
                            const QByteArray &reply, bool settled, const QByteArray &wire) {
            QTest::newRow(name) << fromServer << data << reply << settled << wire;
        };
        const QByteArray echoRefused = bytes({IAC, DONT, ECHO}) + kLineSettings;
        const QByteArray binary("\r\xff\xff", 3), crNul("\r\0\xff\xff", 4);
        row("ser2net's greeting: echo refused, the line set", kGreeting, {}, echoRefused, false,
            binary);
        row("every setting acknowledged: settled",
            kGreeting + kSettingsAcknowledged + kModemLinesAcknowledged, {}, echoRefused, true,
            binary);
        row("modem lines never acknowledged: not settled", kGreeting + kSettingsAcknowledged, {},
            echoRefused, false, binary);
        row("the greeting twice: one set of settings, no loop", kGreeting + kGreeting, {},
            echoRefused + bytes({IAC, DONT, ECHO}), false, binary);
        row("line and modem state notifications never reach the data",
            kGreeting + "ab" + comPort({106, 0x60}) + "cd" + comPort({107, IAC, IAC}) + "ef",
            "abcdef", echoRefused, false, binary);
        QByteArray doubled = everyByte();
        doubled.insert(255, char(IAC));
        row("every byte value, 255 doubled", kGreeting + doubled, everyByte(), echoRefused, false,
            binary);
        row("unknown options refused, their sub-negotiation skipped",
            bytes({IAC, DO, TTYPE, IAC, WILL, 5, IAC, SB, TTYPE, 1, IAC, SE}) + "x", "x",
            bytes({IAC, WONT, TTYPE, IAC, DONT, 5}), false, crNul);
        row("NOP, go-ahead, data mark and no command at all skipped",
            bytes({IAC, NOP, 'a', IAC, GA, 'b', IAC, DM, IAC, 16, 'c'}), "abc", {}, false, crNul);
        row("an over-long sub-negotiation dropped, the data after it flows",
            bytes({IAC, SB, COMPORT}) + QByteArray(1000, 'x') + bytes({IAC, SE}) + "ok", "ok", {},
            false, crNul);
        row("an over-long acknowledgement counts for nothing",
            kGreeting + kModemLinesAcknowledged + comPort({101, 0, 0, 0x25, 0x80}).chopped(2) +
                QByteArray(400, 'x') + bytes({IAC, SE}) + kSettingsAcknowledged.mid(10),
            {}, echoRefused, false, binary);
        row("a command inside a sub-negotiation ends it",
            comPort({101}).chopped(1) + bytes({WILL, ECHO}) + "q", "q", bytes({IAC, DONT, ECHO}),
            false, crNul);
        row("binary refused both ways: CR NUL reads as CR and CR goes as CR NUL",
            bytes({IAC, WONT, BINARY, IAC, DONT, BINARY}) + QByteArray("a\r\0b\r\nc\r\r\0", 10),
            "a\rb\r\nc\r\r", {}, false, crNul);
        row("binary turned off later is agreed to",
            kGreeting + bytes({IAC, WONT, BINARY}) + QByteArray("\r\0", 2), "\r",
            echoRefused + bytes({IAC, DONT, BINARY}), false, binary);
        row("COM-port option refused: settled, the line left alone",
            bytes({IAC, DO, BINARY, IAC, WILL, BINARY, IAC, DO, SGA, IAC, WILL, SGA, IAC, DONT,
                   COMPORT}),
            {}, {}, true, binary);
    }

    // Fed whole, split at every byte boundary, and a byte at a time: the
    // same result.
    void telnet()
    {
        QFETCH(QByteArray, fromServer);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, reply);
        QFETCH(bool, settled);
        QFETCH(QByteArray, wire);
        TelnetCodec codec;
        QCOMPARE(codec.start(), bytes({IAC, WILL, BINARY, IAC, DO, BINARY, IAC, WILL, SGA, IAC, DO,
                                       SGA, IAC, WILL, COMPORT}));
        for (qsizetype split = 0; split <= fromServer.size() + 1; ++split) {
            codec.start();
            QByteArray owed;
            QByteArray got;
            if (split <= fromServer.size()) {
                got = codec.decode(fromServer.first(split), owed);
                got += codec.decode(fromServer.sliced(split), owed);
            } else {
                for (const char c : fromServer)
                    got += codec.decode(QByteArrayView(&c, 1), owed);
            }
            QCOMPARE(got, data);
            QCOMPARE(owed, reply);
            QCOMPARE(codec.settled(), settled);
        }
        QCOMPARE(codec.encode("\r\xff"), wire);
    }

    void log_data()
    {
        QTest::addColumn<QList<Piece>>("pieces");
        QTest::addColumn<ViewMode>("mode");
        QTest::addColumn<QByteArray>("expected");
        const auto row = [](const char *name, const QList<Piece> &pieces, ViewMode mode,
                            const QByteArray &expected) {
            QTest::newRow(name) << pieces << mode << expected;
        };
        const Piece play{Direction::Sent, "PL\r"}, r{Direction::Received, "R"};
        const auto in = [](const QByteArray &bytes) { return Piece{Direction::Received, bytes}; };
        row("each send starts a new line; the next answer too", {play, play, r, play, r},
            ViewMode::Standard,
            "Command Sent:  PL|\r\nCommand Sent:  PL|\r\nReceiving: R\r\nCommand Sent:  PL|\r\n"
            "Receiving: R");
        row("device line breaks never break the log", {in("a\r\nb")}, ViewMode::Standard,
            "Receiving: a||b");
        row("empty received piece still starts its line", {play, in(""), r}, ViewMode::Standard,
            "Command Sent:  PL|\r\nReceiving: R");
        row("mixed: tab, 31, space, 127 and 200", {in("\x09\x1f \x7f\xc8")}, ViewMode::Mixed,
            "Receiving: <09><1F> \x7f\xc8");
        row("hex: every digit, space and zero", {in("\x01\x23\x45\x67\x89\xab\xcd\xef \x00"_qba)},
            ViewMode::Hex, "Receiving: <01><23><45><67><89><AB><CD><EF><20><00>");
        row("received text that looks like a sent line stays received", {in("Command Sent:  X")},
            ViewMode::Standard, "Receiving: Command Sent:  X");
    }

    void log()
    {
        QFETCH(QList<Piece>, pieces);
        QFETCH(ViewMode, mode);
        QFETCH(QByteArray, expected);
        QCOMPARE(written(pieces, mode), expected);
        // Received bytes one at a time, as a slow line delivers them, give
        // the same log; a sent command and an empty piece stay whole.
        QList<Piece> bytewise;
        for (const auto &piece : pieces) {
            if (piece.direction == Direction::Sent || piece.bytes.isEmpty()) {
                bytewise.append(piece);
                continue;
            }
            for (const char c : piece.bytes)
                bytewise.append({piece.direction, QByteArray(1, c)});
        }
        QCOMPARE(written(bytewise, mode), expected);
    }

    void logViewChangeAffectsOnlyLaterPieces()
    {
        LogText log;
        LogWriter writer(log);
        writer.write("\r", Direction::Received, ViewMode::Hex);
        writer.write("\r", Direction::Received, ViewMode::Standard);
        QCOMPARE(log.text(), QByteArray("Receiving: <0D>|"));
    }

    void logLinesAcrossStorageBlocks_data()
    {
        QTest::addColumn<qsizetype>("lines");
        QTest::newRow("one line") << qsizetype(1);
        QTest::newRow("one block") << qsizetype(16384);
        QTest::newRow("first line of a second block") << qsizetype(16385);
        QTest::newRow("several blocks") << qsizetype(50000);
    }

    void logLinesAcrossStorageBlocks()
    {
        QFETCH(qsizetype, lines);
        const LogText log = logOf(lines);
        QCOMPARE(log.lineCount(), lines);
        qsizetype position = 0;
        for (qsizetype n = 0; n < lines; ++n) {
            QCOMPARE(log.lineStart(n), position);
            QCOMPARE(log.lineLength(n), n % 7 + 1);
            QCOMPARE(log.lineOf(position), n);
            QCOMPARE(log.lineOf(position + n % 7), n);
            QCOMPARE(log.line(n), QByteArrayView(QByteArray(n % 7 + 1, char('a' + n % 26))));
            position += n % 7 + 1 + 2;
        }
        QCOMPARE(position - 2, log.size());
        // The end of the text belongs to the last line.
        QCOMPARE(log.lineOf(log.size()), lines - 1);
    }

    // The horizontal bar of a line of any length: its ends are the line's,
    // and each step of it moves on by the same few columns.
    void columnBar_data()
    {
        QTest::addColumn<qsizetype>("last");
        QTest::addColumn<qsizetype>("scale");
        QTest::newRow("counted one for one") << qsizetype(ColumnBar::kMost) << qsizetype(1);
        QTest::newRow("a line of 500,000,000 bytes in Hex")
            << qsizetype(2'000'000'011) << qsizetype(2);
        QTest::newRow("a line of a terabyte in Hex") << qsizetype(4e12) << qsizetype(3726);
    }

    void columnBar()
    {
        QFETCH(qsizetype, last);
        QFETCH(qsizetype, scale);
        const ColumnBar bar = ColumnBar::of(last);
        QCOMPARE(bar.scale, scale);
        QCOMPARE(bar.columnOf(0), 0);
        QCOMPARE(bar.columnOf(bar.maximum), last);
        QCOMPARE(bar.valueOf(last), bar.maximum);
        for (const int value : {1, bar.maximum / 3, bar.maximum - 1}) {
            QVERIFY(bar.columnOf(value + 1) - bar.columnOf(value) <= scale);
            QCOMPARE(bar.valueOf(bar.columnOf(value)), value);
        }
    }

    // Text on its way to the spill file: every form comes back byte for
    // byte, and only runs of escapes shrink.
    void escapeRuns_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qsizetype>("packedSize");
        QByteArray hex;
        for (int b = 0; b < 256; ++b)
            hex += QByteArrayLiteral("<") +
                   QByteArray::number(b, 16).rightJustified(2, '0').toUpper() + '>';
        QTest::newRow("every byte in Hex") << hex << qsizetype(1 + 2 + 256);
        QTest::newRow("three escapes stay text") << QByteArray("R<0D><0A><1B>x") << qsizetype(14);
        QTest::newRow("run between text, one cut short at the end")
            << QByteArray("PL\r\n<41><42><43><44>R<41><42><43><44><4")
            << qsizetype(4 + 6 + 1 + 6 + 2);
        QTest::newRow("lower case and broken escapes stay text")
            << QByteArray("<3f><3F><3F<3F><3F><3F><G0><3F>") << qsizetype(31);
        QTest::newRow("the text's own zero bytes")
            << QByteArray("a\0\0b<00><00><00><00>\0", 21) << qsizetype(1 + 4 + 1 + 6 + 2);
        QTest::newRow("a run too long for one count byte")
            << QByteArray("<7E>").repeated(300) << qsizetype(1 + 2 + 300);
        QTest::newRow("empty") << QByteArray() << qsizetype(0);
    }

    void escapeRuns()
    {
        QFETCH(QByteArray, text);
        QFETCH(qsizetype, packedSize);
        const QByteArray packed = packEscapeRuns(text);
        QCOMPARE(packed.size(), packedSize);
        QByteArray back(text.size(), '?');
        QVERIFY(unpackEscapeRuns(packed, back.data(), back.size()));
        QCOMPARE(back, text);
        // Any other length, or a packed form cut or run on, is refused.
        QVERIFY(!unpackEscapeRuns(packed, back.data(), back.size() - 1));
        QByteArray longer(text.size() + 1, '?');
        QVERIFY(!unpackEscapeRuns(packed, longer.data(), longer.size()));
        for (qsizetype cut = 1; cut <= std::min<qsizetype>(packed.size(), 3); ++cut)
            QVERIFY(!unpackEscapeRuns(packed.chopped(cut), back.data(), back.size()));
        QVERIFY(!unpackEscapeRuns(packed + QByteArray("\0\x85", 2), back.data(), back.size()));
    }

    void settingsLines_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QList<bool>>("prefixOk");
        QTest::addColumn<QStringList>("values");
        const QByteArray good = "Port: 3\r\nView: Hex\r\nString 1: a\r\nString 2: \r\n"
                                "String 3: \"PL\" h0d\r\nString 4: x\r\nString 5: y\r\n";
        const QStringList goodValues{"3", "Hex", "a", "", "\"PL\" h0d", "x", "y"};
        QTest::newRow("seven CR LF lines") << good << QList<bool>(7, true) << goodValues;
        QTest::newRow("LF alone, lines after the seventh ignored")
            << QByteArray(good).replace("\r\n", "\n") + "more\n"
            << QList<bool>(7, true) << goodValues;
        QTest::newRow("ends early, last line unterminated")
            << QByteArray("Port: 1\r\nView: Mix") << QList<bool>{true, true}
            << QStringList{"1", "Mix"};
        QTest::newRow("prefix is case-sensitive and needs its blank")
            << QByteArray("port: 1\nView:Hex\n") << QList<bool>{false, false}
            << QStringList{"", ""};
        QTest::newRow("only the prefix blank is removed, another prefix kept")
            << QByteArray("Port: \nView: Hex\nString 1:   String 2: q \n")
            << QList<bool>{true, true, true} << QStringList{"", "Hex", "  String 2: q "};
        QTest::newRow("NUL and high bytes kept")
            << QByteArray("Port: 1\nView: Hex\nString 1: a\0b\xe9\n", 33)
            << QList<bool>{true, true, true}
            << QStringList{"1", "Hex", QString::fromLatin1("a\0b\xe9", 4)};
    }

    void settingsLines()
    {
        QFETCH(QByteArray, content);
        QFETCH(QList<bool>, prefixOk);
        QFETCH(QStringList, values);
        const auto lines = settings::parse(content);
        QCOMPARE(lines.size(), prefixOk.size());
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QCOMPARE(lines.at(i).prefixOk, prefixOk.at(i));
            QCOMPARE(lines.at(i).value, values.at(i));
        }
    }

    void settingsCompose()
    {
        const auto content =
            settings::compose({"3", "Mixed", {"a", "", QString::fromLatin1("\xe9"), "d", "e"}});
        QVERIFY(content);
        QCOMPARE(*content, QByteArray("Port: 3\r\nView: Mixed\r\nString 1: a\r\nString 2: \r\n"
                                      "String 3: \xe9\r\nString 4: d\r\nString 5: e\r\n"));
        QVERIFY(!settings::compose({"1", "Hex", {QString::fromUtf8("\xe2\x82\xac")}}));
        QCOMPARE(settings::corruptLineMessage(4), "Corrupt \"String 3:\"line in ini file!");
    }

    // The packets are written from the controller's protocol, not read from
    // the program's own command table, so a wrong code there is caught.
    void packets_data()
    {
        QTest::addColumn<QStringList>("fields"); // target, response, command, data 1, data 2
        QTest::addColumn<QString>("expected");   // the packet in hex, or the refusal
        const auto row = [](const char *name, const QStringList &fields, const QString &expected) {
            QTest::newRow(name) << fields << expected;
        };
        row("on output 1", {"1", A, "On", "Output 1"}, "F5 01 01 02 02 00 06");
        row("send version, None still a byte", {"0", N, "SendVersion"}, "F5 00 00 01 42 43");
        row("toggle flag 1 is 0x40", {"5", M, "Toggle", "Flag 1"}, "F5 05 02 02 06 40 4F");
        row("add a number", {"1", N, "AddVar", "3", "200"}, "F5 01 00 03 2F 02 C8 FD");
        row("add a variable", {"1", A, "AddVar", "3", "Variable 26"}, "F5 01 01 03 38 02 19 58");
        row("checksum wraps", {"121", M, "Outport", "2", "255"}, "F5 79 02 03 20 01 FF 9E");
        row("blink output 64 is 0x3F", {"12", A, "Blink", "64", "255 Frames"},
            "F5 0C 01 03 04 3F FF 52");
        row("set to variable 1 is 0x00", {"2", A, "SetVarEQ", "2", "Variable 1"},
            "F5 02 01 03 31 01 00 38");
        row("subtract a number", {"3", M, "SubVar", "26", "17"}, "F5 03 02 03 30 19 11 62");
        row("subtract a variable", {"3", M, "SubVar", "1", "Variable 26"},
            "F5 03 02 03 39 00 19 5A");
        row("pulse for one frame", {"4", A, "Pulse", "1", "1 Frame"}, "F5 04 01 03 05 00 01 0E");
        row("display text and escape", {"7", N, "Display", "\"Hi\" h0d"},
            "F5 07 00 04 0C 48 69 0D D5");
        row("message out port 1, zero byte kept", {"7", A, "MessageOut", "1", "\"Hi\"h00"},
            "F5 07 01 05 0D 01 48 69 00 CC");
        row("off flag 64 is 0x7F, found in any case", {"8", N, "Off", "flag 64"},
            "F5 08 00 02 03 7F 8C");
        row("pause sequence 256 is 0xFF", {"10", N, "Pause", "256"}, "F5 0A 00 02 1A FF 25");
        row("reset sequence 1", {"10", N, "Reset", "1"}, "F5 0A 00 02 1B 00 27");
        row("start sequence 100", {"10", A, "Start", "100"}, "F5 0A 01 02 18 63 88");
        row("stop sequence 256", {"10", M, "Stop", "256"}, "F5 0A 02 02 19 FF 26");
        row("send variable 26 to port 18", {"11", N, "SendVar", "18", "26"},
            "F5 0B 00 03 13 12 19 4C");
        row("show flag bank 2", {"12", N, "ShowFlags", "2"}, "F5 0C 00 02 1C 01 2B");
        row("show variable 1 is 0x00", {"13", N, "ShowVar", "1"}, "F5 0D 00 02 3A 00 49");
        row("display of 254 bytes has length 0xFF", {"1", N, "Display", bytesOfA(254)},
            "F5 01 00 FF 0C " + QString("41 ").repeated(254) + "8A");
        // Only the first missing choice is named, in this order.
        row("target first", {}, "Select target Show Controller address!");
        row("then the response", {"1"}, "Select Show Controller response!");
        row("then the command", {"1", A}, "Select Show Controller command!");
        row("then data 1", {"1", A, "Blink"}, "Enter Output Index!");
        row("then data 2", {"1", A, "Blink", "3"}, "Enter Blink Period!");
        // Values none of the lists offers count as not chosen.
        row("target 122", {"122", A, "On", "Output 1"}, "Select target Show Controller address!");
        row("response compared exactly", {"1", "none", "On", "Output 1"},
            "Select Show Controller response!");
        row("command compared exactly", {"1", A, "on", "Output 1"},
            "Select Show Controller command!");
        row("output 65", {"1", A, "On", "Output 65"}, "Enter Output or Flag Index!");
        row("sequence 257", {"1", A, "Stop", "257"}, "Enter Sequence Index!");
        row("variable 27", {"1", A, "SubVar", "1", "Variable 27"},
            "Enter Value or Variable Index!");
        row("zero frames", {"1", A, "Pulse", "1", "0 Frames"}, "Enter Pulse Duration!");
        row("the notation's refusal", {"1", A, "MessageOut", "1", "h4"}, "Invalid hex value!");
        row("display of 255 bytes", {"1", N, "Display", bytesOfA(255)}, "Message too long!");
        row("message out of 254 bytes", {"1", N, "MessageOut", "1", bytesOfA(254)},
            "Message too long!");
        row("nothing to send, nothing said", {"1", N, "Display", " , H0D"}, "");
    }

    void packets()
    {
        QFETCH(QStringList, fields);
        QFETCH(QString, expected);
        const auto &f = fields;
        const auto result =
            showctl::encodePacket({f.value(0), f.value(1), f.value(2), f.value(3), f.value(4)});
        const bool packet = expected.startsWith(QStringLiteral("F5"));
        QCOMPARE(result.refusal, packet ? QString() : expected);
        QCOMPARE(result.bytes.toHex(' ').toUpper(), packet ? expected.toLatin1() : QByteArray());
    }

    // The file appears whole at the commit, or the old one stays as it was.
    void writer_data()
    {
        QTest::addColumn<bool>("oldFile");
        QTest::addColumn<bool>("throughLink");
        QTest::addColumn<QList<int>>("cuts"); // where one piece ends and the next begins
        QTest::addColumn<QString>("failure");
        QList<int> everyByte;
        for (int n = 1; n < 258; ++n)
            everyByte.append(n);
        QTest::newRow("over an old file, byte by byte") << true << false << everyByte << QString();
        QTest::newRow("new file in uneven pieces, empty ones among them")
            << false << false << QList<int>{0, 0, 3, 3, 200, 257} << QString();
        QTest::newRow("through a link, the file it names is replaced")
            << true << true << QList<int>{100} << QString();
        for (const char *failure : {"abandoned", "discarded", "full"})
            QTest::addRow("%s", failure) << true << false << QList<int>{100} << QString(failure);
    }

    void writer()
    {
        QFETCH(bool, oldFile);
        QFETCH(bool, throughLink);
        QFETCH(QList<int>, cuts);
        QFETCH(QString, failure);
        QByteArray content = everyByte() + "\r\n";
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("session.log"));
        if (oldFile)
            writeRaw(target, kOld);
        QString path = target;
        if (throughLink) {
            path = dir.filePath(QStringLiteral("link.log"));
            QVERIFY(QFile::link(target, path));
        }
        const QStringList before = filesIn(dir);
        {
            FileWriter file(path);
            QVERIFY(file.open());
            std::optional<FileSizeLimit> full; // the disk fills in the second piece
            if (failure == "full")
                QVERIFY(full.emplace(150).active());
            bool wrote = true;
            qsizetype from = 0;
            for (const qsizetype cut : cuts + QList<int>{int(content.size())}) {
                wrote = wrote && file.write(QByteArrayView(content).sliced(from, cut - from));
                from = cut;
            }
            QCOMPARE(wrote, failure != "full");
            QVERIFY(wrote || !file.errorString().isEmpty());
            full.reset();
            // Nothing shows before the commit.
            QCOMPARE(fileContent(target), oldFile ? kOld : QByteArray("<missing>"));
            if (failure == "discarded")
                file.discard();
            if (failure != "abandoned")
                QVERIFY2(file.commit() == failure.isEmpty(), qPrintable(file.errorString()));
        }
        QCOMPARE(fileContent(target), failure.isEmpty() ? content : kOld);
        QCOMPARE(filesIn(dir), oldFile ? before : QStringList{QStringLiteral("session.log")});
        QCOMPARE(QFileInfo(path).isSymLink(), throughLink);
        if (!oldFile) {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            QCOMPARE(ownershipOf(target).mode, int(0666 & ~mask));
        }
    }

    // Paths relative to a scratch folder holding prefix/bin, the bin
    // directory the copy was built for.
    void homeDependsOnWhereTheCopyStands_data()
    {
        QTest::addColumn<QString>("programDirectory");
        QTest::addColumn<bool>("installed");
        QTest::newRow("build tree is portable") << "build" << false;
        QTest::newRow("copy in the prefix's bin is installed") << "prefix/bin" << true;
        QTest::newRow("bin reached through a symbolic link is installed") << "bin-link" << true;
        QTest::newRow("sibling whose name starts the same is portable") << "prefix/bin2" << false;
        QTest::newRow("write-protected folder stays portable") << "locked" << false;
    }

    void homeDependsOnWhereTheCopyStands()
    {
        QFETCH(QString, programDirectory);
        QFETCH(bool, installed);
        QTemporaryDir scratch;
        const QDir root(scratch.path());
        for (const char *made : {"build", "prefix/bin", "prefix/bin2", "locked"})
            QVERIFY(root.mkpath(QLatin1String(made)));
        QVERIFY(QFile::link(root.filePath("prefix/bin"), root.filePath("bin-link")));
        QFile::setPermissions(root.filePath("locked"), QFile::ReadOwner | QFile::ExeOwner);
        QString data, home;
        {
            const EnvironmentOverride dataHome("XDG_DATA_HOME",
                                               QFile::encodeName(root.filePath("data")));
            data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
            home = homeFor(root.filePath(programDirectory), root.filePath("prefix/bin"));
        }
        const QString program = root.filePath(programDirectory);
        const bool dataMade = QFileInfo(data).isDir();
        QFile::setPermissions(root.filePath("locked"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(home, installed ? data : program);
        // The data folder is made for an installed copy, and only for one.
        QCOMPARE(dataMade, installed);
    }
};

QTEST_GUILESS_MAIN(TestCore)
#include "tst_core.moc"
