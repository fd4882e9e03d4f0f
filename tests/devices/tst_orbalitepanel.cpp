#include "panelharness.h"

#include <QTest>

using namespace zentrel::test;

namespace {

const QString kTab = QStringLiteral("Orbalite");

QStringList names(const char *from, const char *fromExt, const char *to, const char *toExt)
{
    QStringList setup;
    const std::pair<const char *, const char *> fields[] = {
        {"MP3FromTxt", from}, {"MP3FromExtTxt", fromExt}, {"MP3ToTxt", to}, {"MP3ToExtTxt", toExt}};
    for (const auto &[field, text] : fields) {
        if (*text)
            setup.append(QStringLiteral("%1=%2").arg(field, QString::fromUtf8(text)));
    }
    return setup;
}

} // namespace

class TestOrbalitePanel : public QObject
{
    Q_OBJECT

    std::unique_ptr<PanelHarness> m_harness;

private Q_SLOTS:
    void init() { m_harness = std::make_unique<PanelHarness>(); }
    void cleanup() { m_harness.reset(); }

    void commands_data();
    void commands() { checkCommand(*m_harness, kTab); }
};

void TestOrbalitePanel::commands_data()
{
    addCommandColumns();
    commandRow("Play", "MP3PlayCmd", {}, "PL\r");
    commandRow("Pause", "MP3PauseCmd", {}, "PA\r");
    commandRow("Stop", "MP3StopCmd", {}, "RJ\r");
    commandRow("Loop Play", "MP3LPlayCmd", {}, "LP\r");
    commandRow("List Files", "MP3FListCmd", {}, "?D\r");
    commandRow("Total Storage", "MP3StorageCmd", {}, "?R\r");
    commandRow("Format Drive at once", "MP3FormatCmd", {}, "FO\r");
    commandRow("Soft Reset", "MP3ResetCmd", {}, "XX\r");
    commandRow("Firmware Version", "MP3VerCmd", {}, "?V\r");

    commandRow("Search without a file", "MP3SearchCmd", {}, {}, "Select file to search!");
    commandRow("Search file 7", "MP3SearchCmd", {"MP3FileTxt=7"}, "7SE\r");
    commandRow("Search refuses a file that is not digits", "MP3SearchCmd", {"MP3FileTxt:=7SE"}, {},
               "Invalid file number!");

    commandRow("Audio with nothing chosen", "MP3AudioCmd", {}, {}, "Select audio command!");
    commandRow("Audio Mute", "MP3AudioCmd", {"MP3AudioCmb=Mute"}, "0AD\r");
    commandRow("Audio Unmute", "MP3AudioCmd", {"MP3AudioCmb=Unmute"}, "1AD\r");
    for (char step = '2'; step <= '9'; ++step) {
        commandRow(qPrintable(QStringLiteral("Audio Volume-%1").arg(step)), "MP3AudioCmd",
                   {QStringLiteral("MP3AudioCmb=Volume-%1").arg(step)},
                   QByteArray(1, step) + "AD\r");
    }

    const char *rename = "MP3RNCmd";
    commandRow("Rename joins the four parts", rename, names("SONG1", "MP3", "NEW", "MP3"),
               "SONG1MP3NEWMP3RN\r");
    commandRow("Rename keeps case and full lengths", rename,
               names("Track_01", "wav", "aBcDeFgH", "Mp3"), "Track_01wavaBcDeFgHMp3RN\r");
    commandRow("Rename sends Latin-1 as its bytes", rename, names("caf\xc3\xa9", "mp3", "b", "c"),
               "caf\xe9mp3bcRN\r");
    commandRow("Rename with all empty", rename, {}, {}, "From file name incomplete!");
    commandRow("Rename without the old extension", rename, names("SONG1", "", "", ""), {},
               "From file name incomplete!");
    commandRow("Rename without the old name", rename, names("", "MP3", "NEW", "MP3"), {},
               "From file name incomplete!");
    commandRow("Rename without the new name", rename, names("SONG1", "MP3", "", "MP3"), {},
               "To file name incomplete!");
    commandRow("Rename without the new extension", rename, names("SONG1", "MP3", "NEW", ""), {},
               "To file name incomplete!");
    commandRow("Rename refuses a character beyond Latin-1", rename,
               names("SONG1", "MP3", "\xe2\x82\xac", "MP3"), {}, "Invalid character in string!");
    commandRow("Search file typed with keys the field refuses", "MP3SearchCmd",
               {"MP3FileTxt=1a -+\r\x1b.*2\b3"}, "13SE\r");
    commandRow("Search file stops at five digits", "MP3SearchCmd", {"MP3FileTxt=1234567"},
               "12345SE\r");
    commandRow("Rename takes any typed character, cut to 8.3", rename,
               names("a -+.*1xyz", "MP3X", "ABCDEFGHIJ", "m p"), "a -+.*1xMP3ABCDEFGHm pRN\r");
}

QTEST_MAIN(TestOrbalitePanel)
#include "tst_orbalitepanel.moc"
