#include "panelharness.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>

using namespace zentrel::test;

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
    commandRow("Search file typed with refused keys, five digits at most", "Pelvox2SearchCmd",
               {"Pelvox2FileTxt=1a -+\r\x1b.*2\b34567"}, "13456SE\r");
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
    // Set with the parameter chosen, then the value typed ("=") or pasted (":=").
    const auto setRow = [set](const char *name, const char *parameter, const char *value,
                              const QByteArray &bytes, const char *message = "") {
        commandRow(name, set,
                   {QStringLiteral("Pelvox2SetCmb=%1").arg(parameter),
                    QStringLiteral("Pelvox2SetTxt") + value},
                   bytes, message);
    };
    commandRow("Set without a parameter", set, {"Pelvox2SetTxt=5"}, {}, "Select parameter to set!");
    setRow("Set without a value, before the address check", "IP Address", "=", {},
           "Enter new parameter setting!");
    setRow("Set Unit ID 0", "Unit ID", "=0", "0ID\r");
    setRow("Set Unit ID 126", "Unit ID", "=126", "126ID\r");
    setRow("Set Unit ID 007 as typed", "Unit ID", "=007", "007ID\r");
    setRow("Set Unit ID 127", "Unit ID", "=127", {}, "Invalid new Unit ID!");
    setRow("Set Unit ID with a dot", "Unit ID", ":=1.2", {}, "Invalid new Unit ID!");
    // The wheel changes the list without taking the focus, so the field
    // keeps the length an address allows.
    commandRow("Set Unit ID of four digits", set,
               {"Pelvox2SetCmb=IP Address", "Pelvox2SetTxt=", "Pelvox2SetCmb~=Unit ID",
                "Pelvox2SetTxt=0.012"},
               {}, "Invalid new Unit ID!");
    setRow("Set IP Address with leading zeros", "IP Address", "=192.168.001.010",
           "192.168.001.010IP\r");
    setRow("Set IP Address of three parts", "IP Address", "=1.2.3", {}, "Invalid IP Address!");
    setRow("Set Gateway Address", "Gateway Address", "=10.0.0.1", "10.0.0.1GW\r");
    setRow("Set Gateway Address above 255", "Gateway Address", "=256.1.1.1", {},
           "Invalid Gateway Address!");
    setRow("Set Subnet Mask", "Subnet Mask", "=255.255.255.0", "255.255.255.0SM\r");
    setRow("Set Subnet Mask all zero", "Subnet Mask", "=0.0.0.0", {}, "Invalid Subnet Mask!");
    setRow("Set address refuses letters by key", "Subnet Mask", "=255a.-255 .\r255\x1b.0",
           "255.255.255.0SM\r");
    commandRow("Set address stops at fifteen characters", set,
               {"Pelvox2SetCmb~=IP Address", "Pelvox2SetTxt=255.255.255.2551"},
               "255.255.255.255IP\r");
    commandRow("Set after leaving for unit ID: emptied, no dot, three digits", set,
               {"Pelvox2SetCmb=IP Address", "Pelvox2SetTxt=1.2.3.4", "Pelvox2SetCmb=Unit ID",
                "Pelvox2SetTxt=1.2345"},
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
