#include "panelharness.h"

#include <QTest>

using namespace zentrel::test;

namespace {

QStringList on(const char *channel, const char *file = nullptr)
{
    QStringList setup{QStringLiteral("ChanCmb=%1").arg(channel)};
    if (file)
        setup.append(QStringLiteral("WendloFileTxt=%1").arg(file));
    return setup;
}

} // namespace

class TestWendloPanel : public PanelTest
{
    Q_OBJECT

public:
    TestWendloPanel() : PanelTest("8Wendlo") {}

private Q_SLOTS:
    void commands_data();
};

void TestWendloPanel::commands_data()
{
    addCommandColumns();
    for (const char *channel : {"1", "2", "3", "4", "5", "6", "7", "8", "*"}) {
        commandRow(qPrintable(QStringLiteral("Reset Channel %1").arg(channel)), "WendloResetCmd",
                   on(channel), QByteArray(channel) + "RJ\r");
    }
    commandRow("Reset Channel with no channel", "WendloResetCmd", {}, {}, "Select channel!");
    commandRow("Firmware Version", "WendloVerCmd", {}, "?V\r");

    const char *assign = "WendloASoundCmd";
    commandRow("Assign Sound 25 to channel 3", assign, on("3", "25"), "253SE\r");
    commandRow("Assign Sound to channel *", assign, on("*", "25"), "25*SE\r");
    commandRow("Assign Sound keeps leading zeros", assign, on("1", "0007"), "00071SE\r");
    commandRow("Assign Sound with no channel", assign, {"WendloFileTxt=25"}, {}, "Select channel!");
    commandRow("Assign Sound with no file", assign, on("3"), {}, "Select file number!");
    commandRow("Assign Sound file pasted with a letter", assign, {"ChanCmb=3", "WendloFileTxt:=2a"},
               {}, "Invalid file number!");

    // The file rule on all three buttons that take a file.
    const std::pair<const char *, const char *> filers[] = {
        {"WendloASoundCmd", "SE"}, {"WendloPlayCmd", "PL"}, {"WendloLPlayCmd", "LP"}};
    for (const auto &[button, code] : filers) {
        for (const char *file : {"1", "511", "1001", "1511"}) {
            commandRow(qPrintable(QStringLiteral("%1 file %2").arg(button, file)), button,
                       on("8", file), QByteArray(file) + '8' + code + '\r');
        }
        for (const char *file : {"0", "512", "1000", "1512"}) {
            commandRow(qPrintable(QStringLiteral("%1 refuses file %2").arg(button, file)), button,
                       on("8", file), {}, "Invalid file number!");
        }
    }

    commandRow("Play without a file", "WendloPlayCmd", on("8"), "8PL\r");
    commandRow("Loop Play without a file", "WendloLPlayCmd", on("*"), "*LP\r");
    commandRow("Play with no channel", "WendloPlayCmd", {"WendloFileTxt=1"}, {}, "Select channel!");

    commandRow("Audio Mute channel 2", "WendloAudioCmd", {"ChanCmb=2", "WendloAudioCmb=Mute"},
               "02AD\r");
    commandRow("Audio Unmute channel 2", "WendloAudioCmd", {"ChanCmb=2", "WendloAudioCmb=Unmute"},
               "12AD\r");
    commandRow("Audio with no channel", "WendloAudioCmd", {"WendloAudioCmb=Mute"}, {},
               "Select channel!");
    commandRow("Audio with no command", "WendloAudioCmd", on("2"), {}, "Select audio command!");

    commandRow("Keylock On", "WendloKeyCmd", {"WendloKeyCmb=On"}, "0KL\r");
    commandRow("Keylock Off with a channel", "WendloKeyCmd", {"ChanCmb=4", "WendloKeyCmb=Off"},
               "1KL\r");
    commandRow("Keylock with nothing chosen", "WendloKeyCmd", on("4"), {}, "Select command!");
    commandRow("Play file typed with refused keys, four digits at most", "WendloPlayCmd",
               on("1", "1a -+\r\x1b.*2\b0012"), "10011PL\r");
}

QTEST_MAIN(TestWendloPanel)
#include "tst_wendlopanel.moc"
