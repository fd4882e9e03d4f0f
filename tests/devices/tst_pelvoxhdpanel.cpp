#include "panelharness.h"

#include <QTest>

using namespace zentrel::test;

class TestPelvoxHDPanel : public PanelTest
{
    Q_OBJECT

public:
    TestPelvoxHDPanel() : PanelTest("Pelvox/HD") {}

private Q_SLOTS:
    void commands_data();
};

void TestPelvoxHDPanel::commands_data()
{
    addCommandColumns();
    fixedRows("PelvoxHDPlayCmd=PL|PelvoxHDPauseCmd=PA|PelvoxHDStillCmd=ST|PelvoxHDStopCmd=RJ|"
              "PelvoxHDLPlayCmd=LP|PelvoxHDIPReqCmd=IP|PelvoxHDVersionCmd=?V");

    commandRow("Search without a file", "PelvoxHDSearchCmd", {}, {}, "Select file to search!");
    commandRow("Search file 12", "PelvoxHDSearchCmd", {"PelvoxHDFileTxt=12"}, "12SE\r");

    listRows("PelvoxHDMuteCmd", "PelvoxHDMuteCmb", "Select media to mute!", "Video=0VD|Audio=0AD");
    listRows("PelvoxHDUnmuteCmd", "PelvoxHDUnmuteCmb", "Select media to unmute!",
             "Video=1VD|Audio=1AD");
    listRows("PelvoxHDDebugCmd", "PelvoxHDDebugCmb", "Select Debug Mode option!", "On=1DM|Off=0DM");
    listRows("CSpaceCmd", "CSpaceCmb", "Select Colorspace!", "RGB-HV=0VC|YPbPr=1VC");

    commandRow("Video Format with nothing chosen", "VFormatCmd", {}, {}, "Select video format!");
    for (const char *format :
         {"1080i", "1080i25-16:9", "1080i29-16:9", "1080i30-16:9", "720p", "720p50-16:9",
          "720p59-16:9", "720p60-16:9", "720p50-4:3", "720p59-4:3", "720p60-4:3", "480p",
          "480p59-4:3", "NTSC", "480i29-4:3", "PAL", "576i25-4:3"}) {
        commandRow(qPrintable(QStringLiteral("Video Format %1").arg(format)), "VFormatCmd",
                   {QStringLiteral("VFormatCmb=%1").arg(format)},
                   '"' + QByteArray(format) + "\"VD\r");
    }

    commandRow("Set IP with the field empty", "PelvoxHDSetIPCmd", {}, {}, "Invalid IP Address!");
    commandRow("Set IP", "PelvoxHDSetIPCmd", {"PelvoxHDSetIPTxt=192.168.0.20"}, "192.168.0.20IP\r");
    commandRow("Set IP keeps leading zeros", "PelvoxHDSetIPCmd", {"PelvoxHDSetIPTxt=010.0.0.001"},
               "010.0.0.001IP\r");
    commandRow("Set IP all zero", "PelvoxHDSetIPCmd", {"PelvoxHDSetIPTxt=0.0.0.0"}, {},
               "Invalid IP Address!");
    commandRow("Search file typed with refused keys, five digits at most", "PelvoxHDSearchCmd",
               {"PelvoxHDFileTxt=1a -+\r\x1b.*2\b34567"}, "13456SE\r");
    commandRow("Set IP typed with refused keys, fifteen characters at most", "PelvoxHDSetIPCmd",
               {"PelvoxHDSetIPTxt=1a00 -+.\r100\x1b.*100.\b.1001"}, "100.100.100.100IP\r");
}

QTEST_MAIN(TestPelvoxHDPanel)
#include "tst_pelvoxhdpanel.moc"
