#include "terminalharness.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>

using namespace zentrel::test;

namespace {

const QString kTab = QStringLiteral("Pelvox2");

constexpr ExpectedControl kControls[] = {
    {"Pelvox2SearchCmd", "button", "Search", "", {120, 120, 855, 315}, true, 8.25},
    {"Pelvox2FileTxt",
     "text",
     "",
     "Enter file number to select here.",
     {970, 120, 855, 315},
     false,
     0,
     5},
    {"Pelvox2StopCmd", "button", "Stop", "", {2040, 120, 615, 315}, true, 8.25},
    {"Pelvox2MuteCmd", "button", "Mute", "", {2880, 120, 615, 315}, true, 8.25},
    {"Pelvox2MuteCmb", "list", "Video|Audio", "", {3480, 120, 865, 315}},
    {"Pelvox2SampleRateCmb",
     "list",
     "Auto|32KHz|44.1KHz|48KHz|AC-3|Next File",
     "",
     {4670, 120, 1215, 315}},
    {"Pelvox2SampleRateCmd", "button", "Sample Rate", "", {5880, 120, 1335, 315}, true, 8.25},
    {"Pelvox2PlayCmd", "button", "Play", "", {120, 520, 855, 315}, true, 8.25},
    {"Pelvox2StillCmd", "button", "Still", "", {2040, 520, 615, 315}, true, 8.25},
    {"Pelvox2UnmuteCmd", "button", "Unmute", "", {2880, 520, 855, 315}, true, 8.25},
    {"Pelvox2UnmuteCmb", "list", "Video|Audio", "", {3720, 520, 865, 315}},
    {"Pelvox2LPlayCmd", "button", "Loop Play", "", {120, 920, 1095, 315}, true, 8.25},
    {"Pelvox2PauseCmd", "button", "Pause", "", {1800, 920, 855, 315}, true, 8.25},
    {"Pelvox2RequestCmd", "button", "Request", "", {2880, 920, 975, 315}, true, 8.25},
    {"Pelvox2ReqCmb",
     "list",
     "Unit ID|IP Address|Gateway Address|Subnet Mask|File List|Firmware Version|Current File|"
     "Current Mode",
     "",
     {3840, 920, 1815, 315}},
    {"Pelvox2DHCPCmd", "button", "DHCP", "", {120, 1320, 735, 315}, true, 8.25},
    {"Pelvox2RebootCmd", "button", "Soft Reboot", "", {1440, 1320, 1215, 315}, true, 8.25},
    {"Pelvox2SetCmd", "button", "Set", "", {2880, 1320, 495, 315}, true, 8.25},
    {"Pelvox2SetCmb",
     "list",
     "Unit ID|IP Address|Gateway Address|Subnet Mask",
     "",
     {3360, 1320, 1815, 315}},
    {"Label5", "label", "TO", "", {5300, 1360, 375, 375}, true, 9.75},
    {"Pelvox2SetTxt",
     "text",
     "",
     "Enter new parameter here.",
     {5760, 1320, 1455, 315},
     false,
     0,
     15},
};

// A list-driven button: no choice refused, then every item in order.
void listRows(const char *button, const char *list, const char *message,
              std::initializer_list<std::pair<const char *, const char *>> items)
{
    commandRow(qPrintable(QStringLiteral("%1 with nothing chosen").arg(button)), button, {}, {},
               message);
    for (const auto &[item, code] : items) {
        commandRow(qPrintable(QStringLiteral("%1 %2").arg(button, item)), button,
                   {QStringLiteral("%1=%2").arg(list, item)}, QByteArray(code) + '\r');
    }
}

} // namespace

class TestPelvox2Panel : public QObject
{
    Q_OBJECT

    std::unique_ptr<TerminalHarness> m_harness;

private Q_SLOTS:
    void init() { m_harness = std::make_unique<TerminalHarness>(); }
    void cleanup() { m_harness.reset(); }

    void controls_data() { addControlRows(kControls); }
    void controls() { checkControl(*m_harness); }

    void commands_data();
    void commands() { checkCommand(*m_harness, kTab); }

    void keys_data();
    void keys() { checkKeys(*m_harness, kTab); }

    void valueFollowsParameter_data();
    void valueFollowsParameter();

    void addressedAfterFirstSend();
    void pasteKeepsAdmittedCharacters();
};

void TestPelvox2Panel::commands_data()
{
    addCommandColumns();
    commandRow("Play", "Pelvox2PlayCmd", {}, "PL\r");
    commandRow("Pause", "Pelvox2PauseCmd", {}, "PA\r");
    commandRow("Still", "Pelvox2StillCmd", {}, "ST\r");
    commandRow("Stop", "Pelvox2StopCmd", {}, "RJ\r");
    commandRow("Loop Play", "Pelvox2LPlayCmd", {}, "LP\r");
    commandRow("DHCP", "Pelvox2DHCPCmd", {}, "DHCPIP\r");
    commandRow("Soft Reboot", "Pelvox2RebootCmd", {}, "XX\r");

    commandRow("Search without a file", "Pelvox2SearchCmd", {}, {}, "Select file to search!");
    commandRow("Search file 12", "Pelvox2SearchCmd", {"Pelvox2FileTxt=12"}, "12SE\r");
    commandRow("Search keeps leading zeros", "Pelvox2SearchCmd", {"Pelvox2FileTxt=00099"},
               "00099SE\r");
    commandRow("Search refuses a file that is not digits", "Pelvox2SearchCmd",
               {"Pelvox2FileTxt:=1\r2"}, {}, "Invalid file number!");

    listRows("Pelvox2MuteCmd", "Pelvox2MuteCmb", "Select media to mute!",
             {{"Video", "0VD"}, {"Audio", "0AD"}});
    listRows("Pelvox2UnmuteCmd", "Pelvox2UnmuteCmb", "Select media to unmute!",
             {{"Video", "1VD"}, {"Audio", "1AD"}});
    listRows("Pelvox2SampleRateCmd", "Pelvox2SampleRateCmb", "Select audio sample rate!",
             {{"Auto", "0AR"},
              {"32KHz", "1AR"},
              {"44.1KHz", "2AR"},
              {"48KHz", "3AR"},
              {"AC-3", "4AR"},
              {"Next File", "5AR"}});
    listRows("Pelvox2RequestCmd", "Pelvox2ReqCmb", "Select information to request!",
             {{"Unit ID", "ID"},
              {"IP Address", "IP"},
              {"Gateway Address", "GW"},
              {"Subnet Mask", "SM"},
              {"File List", "LS"},
              {"Firmware Version", "?V"},
              {"Current File", "?C"},
              {"Current Mode", "?P"}});

    const char *set = "Pelvox2SetCmd";
    const auto setTo = [](const char *parameter, const char *value) {
        return QStringList{QStringLiteral("Pelvox2SetCmb=%1").arg(parameter),
                           QString::fromLatin1(value)};
    };
    commandRow("Set without a parameter", set, {"Pelvox2SetTxt=5"}, {}, "Select parameter to set!");
    for (const char *parameter : {"Unit ID", "IP Address", "Gateway Address", "Subnet Mask"}) {
        commandRow(qPrintable(QStringLiteral("Set %1 without a value").arg(parameter)), set,
                   setTo(parameter, "Pelvox2SetTxt="), {}, "Enter new parameter setting!");
    }
    commandRow("Set Unit ID 0", set, setTo("Unit ID", "Pelvox2SetTxt=0"), "0ID\r");
    commandRow("Set Unit ID 126", set, setTo("Unit ID", "Pelvox2SetTxt=126"), "126ID\r");
    commandRow("Set Unit ID 007 as typed", set, setTo("Unit ID", "Pelvox2SetTxt=007"), "007ID\r");
    commandRow("Set Unit ID 127", set, setTo("Unit ID", "Pelvox2SetTxt=127"), {},
               "Invalid new Unit ID!");
    commandRow("Set Unit ID with a dot", set, setTo("Unit ID", "Pelvox2SetTxt:=1.2"), {},
               "Invalid new Unit ID!");
    // The wheel changes the list without taking the focus, so the field
    // keeps the length an address allows.
    commandRow("Set Unit ID of four digits", set,
               {"Pelvox2SetCmb=IP Address", "Pelvox2SetTxt=", "Pelvox2SetCmb~=Unit ID",
                "Pelvox2SetTxt=0.012"},
               {}, "Invalid new Unit ID!");
    commandRow("Set Unit ID not digits", set, setTo("Unit ID", "Pelvox2SetTxt:=1*"), {},
               "Invalid new Unit ID!");
    commandRow("Set IP Address with leading zeros", set,
               setTo("IP Address", "Pelvox2SetTxt=192.168.001.010"), "192.168.001.010IP\r");
    commandRow("Set IP Address of three parts", set, setTo("IP Address", "Pelvox2SetTxt=1.2.3"), {},
               "Invalid IP Address!");
    commandRow("Set Gateway Address", set, setTo("Gateway Address", "Pelvox2SetTxt=10.0.0.1"),
               "10.0.0.1GW\r");
    commandRow("Set Gateway Address above 255", set,
               setTo("Gateway Address", "Pelvox2SetTxt=256.1.1.1"), {}, "Invalid Gateway Address!");
    commandRow("Set Subnet Mask", set, setTo("Subnet Mask", "Pelvox2SetTxt=255.255.255.0"),
               "255.255.255.0SM\r");
    commandRow("Set Subnet Mask all zero", set, setTo("Subnet Mask", "Pelvox2SetTxt=0.0.0.0"), {},
               "Invalid Subnet Mask!");
    commandRow("Set value typed before going back to the list is discarded", set,
               {"Pelvox2SetCmb=Unit ID", "Pelvox2SetTxt=12", "Pelvox2SetCmb=Unit ID"}, {},
               "Enter new parameter setting!");
}

void TestPelvox2Panel::keys_data()
{
    addKeyColumns();
    keyRow("file number takes digits and Backspace only", "Pelvox2FileTxt", {}, "1a -+\r\x1b.*2\b3",
           "13");
    keyRow("file number stops at five", "Pelvox2FileTxt", {}, "1234567", "12345");
    keyRow("address value takes the dot", "Pelvox2SetTxt", {"Pelvox2SetCmb=IP Address"}, "1.2",
           "1.2");
    keyRow("address value takes no letters", "Pelvox2SetTxt", {"Pelvox2SetCmb=Subnet Mask"},
           "1a -\r\x1b.2\b", "1.");
    keyRow("unit ID value refuses the dot", "Pelvox2SetTxt", {"Pelvox2SetCmb=Unit ID"}, "1.2",
           "12");
    keyRow("address value stops at fifteen", "Pelvox2SetTxt",
           {"Pelvox2SetCmb=IP Address", "Pelvox2SetTxt="}, "255.255.255.2551", "255.255.255.255");
    keyRow("unit ID value stops at three", "Pelvox2SetTxt",
           {"Pelvox2SetCmb=Unit ID", "Pelvox2SetTxt="}, "12345", "123");
}

void TestPelvox2Panel::valueFollowsParameter_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("maxLength");
    QTest::newRow("fifteen and empty at start") << QStringList() << QString() << 15;
    QTest::newRow("leaving for unit ID empties and limits to three")
        << QStringList{"Pelvox2SetCmb=IP Address", "Pelvox2SetTxt=1.2.3.4", "Pelvox2SetCmb=Unit ID",
                       "Pelvox2SetTxt="}
        << QString() << 3;
    QTest::newRow("leaving for an address allows fifteen again")
        << QStringList{"Pelvox2SetCmb=Unit ID", "Pelvox2SetTxt=12", "Pelvox2SetCmb=Gateway Address",
                       "Pelvox2SetTxt="}
        << QString() << 15;
    QTest::newRow("leaving an unchanged choice still empties")
        << QStringList{"Pelvox2SetCmb=Subnet Mask", "Pelvox2SetTxt=255.0",
                       "Pelvox2SetCmb=Subnet Mask", "Pelvox2FileTxt="}
        << QString() << 15;
    QTest::newRow("value typed after leaving stays")
        << QStringList{"Pelvox2SetCmb=Unit ID", "Pelvox2SetTxt=12"} << QStringLiteral("12") << 3;
}

void TestPelvox2Panel::valueFollowsParameter()
{
    QFETCH(QStringList, setup);
    QFETCH(QString, text);
    QFETCH(int, maxLength);
    QVERIFY(m_harness->applyAll(setup));
    auto *value = qobject_cast<QLineEdit *>(m_harness->find("Pelvox2SetTxt"));
    QCOMPARE(value->text(), text);
    QCOMPARE(value->maxLength(), maxLength);
}

void TestPelvox2Panel::addressedAfterFirstSend()
{
    auto *useId = qobject_cast<QCheckBox *>(m_harness->find("IDChk"));
    QTest::mouseClick(useId, Qt::LeftButton);
    QVERIFY(useId->isChecked());
    QVERIFY(m_harness->apply("IDTxt=5"));
    QVERIFY(m_harness->click("Pelvox2PlayCmd"));
    QVERIFY(m_harness->click("Pelvox2PlayCmd"));
    QCOMPARE(m_harness->messages.texts(), QStringList());
    QCOMPARE(m_harness->received(), "PL\r" + QByteArray::fromHex("3540504C0D"));
}

void TestPelvox2Panel::pasteKeepsAdmittedCharacters()
{
    auto *file = qobject_cast<QLineEdit *>(m_harness->find("Pelvox2FileTxt"));
    QApplication::clipboard()->setText(QStringLiteral("1a-2 3"));
    QTest::keySequence(file, QKeySequence::Paste);
    QCOMPARE(file->text(), QStringLiteral("123"));
    file->selectAll();
    QTest::keySequence(file, QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("123"));
}

QTEST_MAIN(TestPelvox2Panel)
#include "tst_pelvox2panel.moc"
