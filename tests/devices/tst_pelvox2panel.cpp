#include "panelharness.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>

using namespace zentrel::test;

namespace {} // namespace

class TestPelvox2Panel : public PanelTest
{
    Q_OBJECT

public:
    TestPelvox2Panel() : PanelTest("Pelvox2") {}

private Q_SLOTS:
    void commands_data();

    void addressedAfterFirstSend();
    void pasteKeepsAdmittedCharacters();
};

void TestPelvox2Panel::commands_data()
{
    addCommandColumns();
    fixedRows("Pelvox2PlayCmd=PL|Pelvox2PauseCmd=PA|Pelvox2StillCmd=ST|Pelvox2StopCmd=RJ|"
              "Pelvox2LPlayCmd=LP|Pelvox2DHCPCmd=DHCPIP|Pelvox2RebootCmd=XX");

    commandRow("Search without a file", "Pelvox2SearchCmd", {}, {}, "Select file to search!");
    commandRow("Search file 12", "Pelvox2SearchCmd", {"Pelvox2FileTxt=12"}, "12SE\r");
    commandRow("Search keeps leading zeros", "Pelvox2SearchCmd", {"Pelvox2FileTxt=00099"},
               "00099SE\r");
    commandRow("Search file typed with keys the field refuses", "Pelvox2SearchCmd",
               {"Pelvox2FileTxt=1a -+\r\x1b.*2\b3"}, "13SE\r");
    commandRow("Search file stops at five digits", "Pelvox2SearchCmd", {"Pelvox2FileTxt=1234567"},
               "12345SE\r");
    commandRow("Search refuses a file that is not digits", "Pelvox2SearchCmd",
               {"Pelvox2FileTxt:=1\r2"}, {}, "Invalid file number!");

    listRows("Pelvox2MuteCmd", "Pelvox2MuteCmb", "Select media to mute!", "Video=0VD|Audio=0AD");
    listRows("Pelvox2UnmuteCmd", "Pelvox2UnmuteCmb", "Select media to unmute!",
             "Video=1VD|Audio=1AD");
    listRows("Pelvox2SampleRateCmd", "Pelvox2SampleRateCmb", "Select audio sample rate!",
             "Auto=0AR|32KHz=1AR|44.1KHz=2AR|48KHz=3AR|AC-3=4AR|Next File=5AR");
    listRows("Pelvox2RequestCmd", "Pelvox2ReqCmb", "Select information to request!",
             "Unit ID=ID|IP Address=IP|Gateway Address=GW|Subnet Mask=SM|File List=LS|"
             "Firmware Version=?V|Current File=?C|Current Mode=?P");

    const char *set = "Pelvox2SetCmd";
    const auto setTo = [](const char *parameter, const char *value) {
        return QStringList{QStringLiteral("Pelvox2SetCmb=%1").arg(parameter),
                           QString::fromLatin1(value)};
    };
    commandRow("Set without a parameter", set, {"Pelvox2SetTxt=5"}, {}, "Select parameter to set!");
    commandRow("Set without a value, before the address check", set,
               setTo("IP Address", "Pelvox2SetTxt="), {}, "Enter new parameter setting!");
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
    commandRow("Set Unit ID refuses the dot by key", set, setTo("Unit ID", "Pelvox2SetTxt=1.2"),
               "12ID\r");
    commandRow("Set address refuses letters by key", set,
               setTo("Subnet Mask", "Pelvox2SetTxt=255a.-255 .\r255\x1b.0"), "255.255.255.0SM\r");
    commandRow("Set address stops at fifteen characters", set,
               {"Pelvox2SetCmb~=IP Address", "Pelvox2SetTxt=255.255.255.2551"},
               "255.255.255.255IP\r");
    commandRow("Set after leaving for unit ID empties and limits to three", set,
               {"Pelvox2SetCmb=IP Address", "Pelvox2SetTxt=1.2.3.4", "Pelvox2SetCmb=Unit ID",
                "Pelvox2SetTxt=12345"},
               "123ID\r");
    commandRow("Set after leaving for an address allows fifteen again", set,
               {"Pelvox2SetCmb=Unit ID", "Pelvox2SetTxt=12", "Pelvox2SetCmb=Gateway Address",
                "Pelvox2SetTxt=1.2.3.4"},
               "1.2.3.4GW\r");
    commandRow("Set value typed before going back to the list is discarded", set,
               {"Pelvox2SetCmb=Unit ID", "Pelvox2SetTxt=12", "Pelvox2SetCmb=Unit ID"}, {},
               "Enter new parameter setting!");
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
    QApplication::clipboard()->setText(QStringLiteral("a1-2 3.4x5y6"));
    QTest::keySequence(file, QKeySequence::Paste);
    QCOMPARE(file->text(), QStringLiteral("12345"));
    file->setSelection(1, 3);
    QTest::keySequence(file, QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("234"));
}

QTEST_MAIN(TestPelvox2Panel)
#include "tst_pelvox2panel.moc"
