#include "terminalharness.h"

#include <QDeadlineTimer>
#include <QLabel>

using namespace zentrel::test;

namespace {

// No panel sends these bytes, so they cannot be mistaken for a command.
const QByteArray kMarker = QByteArrayLiteral("\xFF<end>\xFF");

// The main window as the operator meets it, shown and active, driven control
// by control from assignment texts.
struct PanelHarness : TerminalHarness
{
    PanelHarness()
    {
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("the main window did not become active; focus changes will not happen");
    }

    QWidget *widget(const QString &name) const { return window->findChild<QWidget *>(name); }

    bool selectTab(const QString &caption)
    {
        auto *tabs = find<QTabBar>("DeviceTab");
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->tabText(i) == caption) {
                clickTab(i);
                return tabs->currentIndex() == i;
            }
        }
        return false;
    }

    // "Name=value" chooses a list item or types the value key by key into a
    // field, focusing the control first as a click would ("\b", "\r" and
    // "\x1b" are Backspace, Enter and Escape); "Name:=value" puts the text
    // into the field directly, past its key filter; "Name~=value" chooses
    // without taking the focus, as the wheel does.
    bool apply(const QString &assignment)
    {
        const auto equals = assignment.indexOf(u'=');
        const QChar how = equals > 0 ? assignment.at(equals - 1) : QChar();
        const bool direct = how == u':', keepFocus = how == u'~';
        QWidget *control = widget(assignment.left(direct || keepFocus ? equals - 1 : equals));
        const QString value = assignment.mid(equals + 1);
        if (equals <= 0 || !control)
            return false;
        if (!keepFocus)
            control->setFocus(Qt::MouseFocusReason);
        if (auto *list = qobject_cast<QComboBox *>(control)) {
            list->setCurrentIndex(list->findText(value, Qt::MatchExactly));
            return list->currentIndex() >= 0;
        }
        auto *field = qobject_cast<QLineEdit *>(control);
        if (field && direct)
            field->setText(value);
        for (const QChar c : field && !direct ? value : QString()) {
            if (c.unicode() < 128)
                QTest::keyClick(field, char(c.unicode()));
            else
                QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), {});
        }
        return field;
    }

    // Everything the line received since the last call: the window sends a
    // marker of its own and the bytes before it are returned, so a refusal
    // is shown to send nothing without waiting for a silence.
    QByteArray received()
    {
        // The marker goes out unaddressed whatever the unit-ID settings.
        window->setIDAllowed(false);
        window->SendCommand(kMarker);
        QByteArray got;
        const QDeadlineTimer deadline(5000);
        while (!got.endsWith(kMarker) && !deadline.hasExpired())
            got += device.read(1, int(deadline.remainingTime()));
        return got.endsWith(kMarker) ? got.chopped(kMarker.size()) : got + "<marker missing>";
    }
};

const char *g_tab = "";

void commandRow(const char *name, const char *button, const QStringList &setup,
                const QByteArray &bytes, const char *message = "")
{
    QTest::addRow("%s: %s", g_tab, name)
        << QString::fromLatin1(g_tab) << QString::fromLatin1(button) << setup << bytes
        << QString::fromLatin1(message);
}

// Buttons that always send the same code, as "Button=code|Button=code".
void fixedRows(const char *buttons)
{
    for (const QString &pair : QString::fromLatin1(buttons).split(u'|')) {
        const QString button = pair.section(u'=', 0, 0);
        commandRow(qPrintable(button), qPrintable(button), {},
                   pair.section(u'=', 1).toLatin1() + '\r');
    }
}

// A list-driven button: refused with nothing chosen, then each of the
// "item=code|item=code" items chosen.
void listRows(const char *button, const char *list, const char *message, const char *items)
{
    commandRow(qPrintable(QStringLiteral("%1 with nothing chosen").arg(button)), button, {}, {},
               message);
    for (const QString &pair : QString::fromLatin1(items).split(u'|')) {
        const QString item = pair.section(u'=', 0, 0);
        commandRow(qPrintable(QStringLiteral("%1 %2").arg(button, item)), button,
                   {QStringLiteral("%1=%2").arg(list, item)},
                   pair.section(u'=', 1).toLatin1() + '\r');
    }
}

QStringList on(const char *channel, const char *file = nullptr)
{
    QStringList setup{QStringLiteral("ChanCmb=%1").arg(channel)};
    if (file)
        setup.append(QStringLiteral("WendloFileTxt=%1").arg(file));
    return setup;
}

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

void pelvox2Rows()
{
    g_tab = "Pelvox2";
    fixedRows("Pelvox2PlayCmd=PL|Pelvox2PauseCmd=PA|Pelvox2StillCmd=ST|Pelvox2StopCmd=RJ|"
              "Pelvox2LPlayCmd=LP|Pelvox2DHCPCmd=DHCPIP|Pelvox2RebootCmd=XX");
    commandRow("Search without a file", "Pelvox2SearchCmd", {}, {}, "Select file to search!");
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
    setRow("Set IP Address of three parts", "IP Address", "=1.2.3", {}, "Invalid IP Address!");
    setRow("Set Gateway Address above 255", "Gateway Address", "=256.1.1.1", {},
           "Invalid Gateway Address!");
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
}

void pelvoxHDRows()
{
    g_tab = "Pelvox/HD";
    fixedRows("PelvoxHDPlayCmd=PL|PelvoxHDPauseCmd=PA|PelvoxHDStillCmd=ST|PelvoxHDStopCmd=RJ|"
              "PelvoxHDLPlayCmd=LP|PelvoxHDIPReqCmd=IP|PelvoxHDVersionCmd=?V");
    commandRow("Search without a file", "PelvoxHDSearchCmd", {}, {}, "Select file to search!");
    commandRow("Search file typed with refused keys, five digits at most", "PelvoxHDSearchCmd",
               {"PelvoxHDFileTxt=1a -+\r\x1b.*2\b34567"}, "13456SE\r");
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
    commandRow("Set IP keeps leading zeros", "PelvoxHDSetIPCmd", {"PelvoxHDSetIPTxt=010.0.0.001"},
               "010.0.0.001IP\r");
    commandRow("Set IP all zero", "PelvoxHDSetIPCmd", {"PelvoxHDSetIPTxt=0.0.0.0"}, {},
               "Invalid IP Address!");
    commandRow("Set IP typed with refused keys, fifteen characters at most", "PelvoxHDSetIPCmd",
               {"PelvoxHDSetIPTxt=1a00 -+.\r100\x1b.*100.\b.1001"}, "100.100.100.100IP\r");
}

void wendloRows()
{
    g_tab = "8Wendlo";
    for (const char *channel : {"1", "2", "3", "4", "5", "6", "7", "8", "*"}) {
        commandRow(qPrintable(QStringLiteral("Reset Channel %1").arg(channel)), "WendloResetCmd",
                   on(channel), QByteArray(channel) + "RJ\r");
    }
    commandRow("Reset Channel with no channel", "WendloResetCmd", {}, {}, "Select channel!");
    commandRow("Firmware Version", "WendloVerCmd", {}, "?V\r");
    const char *assign = "WendloASoundCmd";
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
    commandRow("Audio with no command", "WendloAudioCmd", on("2"), {}, "Select audio command!");
    commandRow("Keylock On", "WendloKeyCmd", {"WendloKeyCmb=On"}, "0KL\r");
    commandRow("Keylock Off with a channel", "WendloKeyCmd", {"ChanCmb=4", "WendloKeyCmb=Off"},
               "1KL\r");
    commandRow("Keylock with nothing chosen", "WendloKeyCmd", on("4"), {}, "Select command!");
    commandRow("Play file typed with refused keys, four digits at most", "WendloPlayCmd",
               on("1", "1a -+\r\x1b.*2\b0012"), "10011PL\r");
}

void orbaliteRows()
{
    g_tab = "Orbalite";
    fixedRows("MP3PlayCmd=PL|MP3PauseCmd=PA|MP3StopCmd=RJ|MP3LPlayCmd=LP|MP3FListCmd=?D|"
              "MP3StorageCmd=?R|MP3FormatCmd=FO|MP3ResetCmd=XX|MP3VerCmd=?V");
    commandRow("Search without a file", "MP3SearchCmd", {}, {}, "Select file to search!");
    commandRow("Search file typed with refused keys, five digits at most", "MP3SearchCmd",
               {"MP3FileTxt=1a -+\r\x1b.*2\b34567"}, "13456SE\r");
    listRows("MP3AudioCmd", "MP3AudioCmb", "Select audio command!",
             "Mute=0AD|Unmute=1AD|Volume-2=2AD|Volume-3=3AD|Volume-4=4AD|Volume-5=5AD|"
             "Volume-6=6AD|Volume-7=7AD|Volume-8=8AD|Volume-9=9AD");
    const char *rename = "MP3RNCmd";
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
    commandRow("Rename takes any typed character, cut to 8.3", rename,
               names("a -+.*1xyz", "MP3X", "ABCDEFGHIJ", "m p"), "a -+.*1xMP3ABCDEFGHm pRN\r");
}

struct ShowControllerPanel : TerminalHarness
{
    ShowControllerPanel()
    {
        window->show();
        clickTab(4);
    }
    int labelWidth(const char *label) const { return find<QLabel>(label)->width() * 15; }
};

// A list's size and its first and last item; empty for an empty list.
QString summary(const QComboBox *list)
{
    if (list->count() == 0)
        return {};
    return QStringLiteral("%1 %2..%3")
        .arg(list->count())
        .arg(list->itemText(0), list->itemText(list->count() - 1));
}

} // namespace

// Every command button of the four ASCII panels: a fresh window for each
// row, the button clicked after its setup, and the bytes that reach the line
// or the one message shown and nothing sent. Then the show controller's
// panel, whose controls follow the command chosen.
class TestPanels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commands_data()
    {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("setup");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        pelvox2Rows();
        pelvoxHDRows();
        wendloRows();
        orbaliteRows();
    }

    void commands()
    {
        QFETCH(QString, tab);
        QFETCH(QString, button);
        QFETCH(QStringList, setup);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        PanelHarness h;
        QVERIFY(h.selectTab(tab));
        for (const auto &assignment : setup)
            QVERIFY2(h.apply(assignment), qPrintable(assignment));
        auto *pushButton = qobject_cast<QPushButton *>(h.widget(button));
        QVERIFY(pushButton && pushButton->isVisible());
        QTest::mouseClick(pushButton, Qt::LeftButton);
        QCOMPARE(h.messages.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(h.received(), bytes);
    }

    // Each position as "caption: what it shows", "text" for the text field or
    // the list's summary; empty where the command shows nothing.
    void layoutFollowsCommand_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("data1");
        QTest::addColumn<QString>("data2");

        const char *variables = "Variable Index: 26 1..26";
        const char *operands = "Value or Variable Index: 282 0..Variable 26";
        const char *outputs = "Output Index: 64 1..64";
        const char *frames = ": 255 1 Frame..255 Frames";
        const char *outputsAndFlags = "Output or Flag Index: 128 Output 1..Flag 64";
        const char *sequences = "Sequence Index: 256 1..256";
        const char *ports = "Serial Port: 18 1..18";
        const auto row = [](const char *command, const QString &data1, const QString &data2) {
            QTest::newRow(command) << command << data1 << data2;
        };
        row("AddVar", variables, operands);
        row("Blink", outputs, QStringLiteral("Blink Period") + frames);
        row("Display", "Display Message: text", "");
        row("MessageOut", ports, "Message: text");
        row("Off", outputsAndFlags, "");
        row("On", outputsAndFlags, "");
        row("Outport", "Output Bank Index: 2 1..2", "Value: 256 0..255");
        row("Pause", sequences, "");
        row("Pulse", outputs, QStringLiteral("Pulse Duration") + frames);
        row("Reset", sequences, "");
        row("SendVar", ports, variables);
        row("SendVersion", "", "");
        row("SetVarEQ", variables, operands);
        row("ShowFlags", "Flag Bank: 2 1..2", "");
        row("ShowVar", variables, "");
        row("Start", sequences, "");
        row("Stop", sequences, "");
        row("SubVar", variables, operands);
        row("Toggle", outputsAndFlags, "");
    }

    void layoutFollowsCommand()
    {
        ShowControllerPanel h;
        QFETCH(QString, command);
        QFETCH(QString, data1);
        QFETCH(QString, data2);

        // From a command that shows lists in both places, so every change shows.
        h.pick("SCCmdCmb", "Blink");
        h.pick("SCCmdCmb", command);
        QCOMPARE(h.find<QComboBox>("SCCmdCmb")->currentText(), command);

        for (const auto &[n, expected] : {std::pair{'1', data1}, std::pair{'2', data2}}) {
            const QByteArray name = QByteArray("SCData") + n;
            auto *label = h.find<QLabel>(name + "Lbl");
            auto *list = h.find<QComboBox>(name + "Cmb");
            auto *text = h.find<QLineEdit>(name + "Txt");
            const QString shows = expected.section(QStringLiteral(": "), 1);
            QCOMPARE(label->isVisible(), !expected.isEmpty());
            QCOMPARE(label->text(), expected.section(QStringLiteral(": "), 0, 0));
            QCOMPARE(text->isVisible(), shows == "text");
            QCOMPARE(list->isVisible(), !shows.isEmpty() && shows != "text");
            QCOMPARE(summary(list), list->isVisible() ? shows : QString());
            QCOMPARE(list->currentIndex(), -1);
            QCOMPARE(text->text(), QString());
        }
    }

    void choosingACommandClearsItsData()
    {
        ShowControllerPanel h;
        h.pick("TargetAdrCmb", "9");
        h.pick("ResponseCmb", "ACK, NACK");
        h.pick("SCCmdCmb", "Blink");
        h.pick("SCData1Cmb", "12");
        h.pick("SCData2Cmb", "3 Frames");
        h.pick("SCCmdCmb", "Blink");
        QCOMPARE(h.find<QComboBox>("SCData1Cmb")->currentText(), QString());
        QCOMPARE(h.find<QComboBox>("SCData2Cmb")->currentText(), QString());
        QCOMPARE(h.find<QComboBox>("SCData2Cmb")->count(), 255);
        QCOMPARE(h.find<QComboBox>("TargetAdrCmb")->currentText(), QString("9"));
        QCOMPARE(h.find<QComboBox>("ResponseCmb")->currentText(), QString("ACK, NACK"));

        // The message commands widen their label, and the next command undoes it.
        h.pick("SCCmdCmb", "MessageOut");
        QCOMPARE(h.labelWidth("SCData2Lbl"), 2895);
        QTest::keyClicks(h.find<QLineEdit>("SCData2Txt"), "\"Go\"");
        h.pick("SCCmdCmb", "Display");
        QVERIFY(!h.find<QLineEdit>("SCData2Txt")->isVisible());
        QCOMPARE(h.find<QLineEdit>("SCData2Txt")->text(), QString());
        QCOMPARE(h.labelWidth("SCData2Lbl"), 1455);
        QCOMPARE(h.labelWidth("SCData1Lbl"), 4695);
        QCOMPARE(h.find<QLineEdit>("SCData1Txt")->text(), QString());

        QTest::keyClicks(h.find<QLineEdit>("SCData1Txt"), "\"Hello\"");
        h.pick("SCCmdCmb", "Display");
        QCOMPARE(h.find<QLineEdit>("SCData1Txt")->text(), QString());
        h.pick("SCCmdCmb", "Blink");
        QCOMPARE(h.labelWidth("SCData1Lbl"), 1575);
    }

    // A press with nothing chosen is refused first: had it sent anything, that
    // would arrive ahead of the packet.
    void workedPacketsArrive_data()
    {
        QTest::addColumn<QStringList>("fields"); // target, response, command, data 1, data 2
        QTest::addColumn<QByteArray>("packet");

        const QString ack = "ACK, NACK", msg = "Msg.+ACK,NACK";
        const auto row = [](const char *name, const QStringList &fields, const char *hex) {
            QTest::newRow(name) << fields << QByteArray::fromHex(hex);
        };
        row("add variable 26", {"1", ack, "AddVar", "3", "Variable 26"}, "F5 01 01 03 38 02 19 58");
        // The text fields, typed.
        row("display", {"20", ack, "Display", "\"Show\" h0d"}, "F5 14 01 06 0C 53 68 6F 77 0D D5");
        row("message out", {"30", msg, "MessageOut", "3", "\"Go\""}, "F5 1E 02 04 0D 03 47 6F EA");
    }

    void workedPacketsArrive()
    {
        ShowControllerPanel h;
        QFETCH(QStringList, fields);
        QFETCH(QByteArray, packet);

        // The main window fills the target list, yet chooses nothing.
        QCOMPARE(summary(h.find<QComboBox>("TargetAdrCmb")), QString("122 0..121"));
        h.click("SCSetCmd");
        const QStringList refused{"Select target Show Controller address!"};
        QCOMPARE(h.messages.texts(), refused);
        h.pick("TargetAdrCmb", fields.value(0));
        h.pick("ResponseCmb", fields.value(1));
        h.pick("SCCmdCmb", fields.value(2));
        for (const int n : {1, 2}) {
            const QByteArray name = "SCData" + QByteArray::number(n);
            if (h.find<QComboBox>(name + "Cmb")->isVisible())
                h.pick(name + "Cmb", fields.value(2 + n));
            else if (h.find<QLineEdit>(name + "Txt")->isVisible())
                QTest::keyClicks(h.find<QLineEdit>(name + "Txt"), fields.value(2 + n));
        }
        h.click("SCSetCmd");
        QCOMPARE(h.device.read(packet.size()).toHex(' '), packet.toHex(' '));
        QCOMPARE(h.messages.texts(), refused);
    }
};

QTEST_MAIN(TestPanels)
#include "tst_panels.moc"
