#include "panelharness.h"

#include <QTest>

using namespace zentrel::test;

namespace {

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

class TestOrbalitePanel : public PanelTest
{
    Q_OBJECT

public:
    TestOrbalitePanel() : PanelTest("Orbalite") {}

private Q_SLOTS:
    void commands_data();
};

void TestOrbalitePanel::commands_data()
{
    addCommandColumns();
    fixedRows("MP3PlayCmd=PL|MP3PauseCmd=PA|MP3StopCmd=RJ|MP3LPlayCmd=LP|MP3FListCmd=?D|"
              "MP3StorageCmd=?R|MP3FormatCmd=FO|MP3ResetCmd=XX|MP3VerCmd=?V");

    commandRow("Search without a file", "MP3SearchCmd", {}, {}, "Select file to search!");
    commandRow("Search file 7", "MP3SearchCmd", {"MP3FileTxt=7"}, "7SE\r");

    listRows("MP3AudioCmd", "MP3AudioCmb", "Select audio command!",
             "Mute=0AD|Unmute=1AD|Volume-2=2AD|Volume-3=3AD|Volume-4=4AD|Volume-5=5AD|"
             "Volume-6=6AD|Volume-7=7AD|Volume-8=8AD|Volume-9=9AD");

    const char *rename = "MP3RNCmd";
    commandRow("Rename joins the four parts", rename, names("SONG1", "MP3", "NEW", "MP3"),
               "SONG1MP3NEWMP3RN\r");
    commandRow("Rename sends Latin-1 as its bytes, 0xFF included", rename,
               names("caf\xc3\xa9", "mp3", "\xc3\xbf", "z"), "caf\xe9mp3\xffzRN\r");
    commandRow("Rename without the old extension", rename, names("SONG1", "", "", ""), {},
               "From file name incomplete!");
    commandRow("Rename without the old name", rename, names("", "MP3", "NEW", "MP3"), {},
               "From file name incomplete!");
    commandRow("Rename without the new name", rename, names("SONG1", "MP3", "", "MP3"), {},
               "To file name incomplete!");
    commandRow("Rename without the new extension", rename, names("SONG1", "MP3", "NEW", ""), {},
               "To file name incomplete!");
    commandRow("Rename refuses U+0100, the first character beyond Latin-1", rename,
               names("SONG1", "MP3", "\xc4\x80", "MP3"), {}, "Invalid character in string!");
    commandRow("Search file typed with refused keys, five digits at most", "MP3SearchCmd",
               {"MP3FileTxt=1a -+\r\x1b.*2\b34567"}, "13456SE\r");
    commandRow("Rename takes any typed character, cut to 8.3", rename,
               names("a -+.*1xyz", "MP3X", "ABCDEFGHIJ", "m p"), "a -+.*1xMP3ABCDEFGHm pRN\r");
}

QTEST_MAIN(TestOrbalitePanel)
#include "tst_orbalitepanel.moc"
