#include "devices/orbalitepanel.h"

#include "devices/asciicommand.h"
#include "devices/orbalitecommands.h"
#include "devices/validation.h"
#include "forms/filteredlineedit.h"

#include <QComboBox>
#include <QPushButton>

namespace zentrel {

namespace {

using K = ControlKind;
constexpr qreal kPoints = 8.25;
// File names in 8.3 form, name and extension in fields of their own.
constexpr int kNameLength = 8;
constexpr int kExtensionLength = 3;

} // namespace

// clang-format off
const ControlSpec OrbalitePanel::kControls[] = {
    {K::Button, "MP3SearchCmd", "Search", "", {120, 120, 855, 315}, true, kPoints,
     run<&OrbalitePanel::MP3SearchCmd_Click>},
    {K::Text, "MP3FileTxt", "", "", {960, 120, 855, 315}, false, 0, nullptr,
     validation::kFileNumberLength, false, "File number"},
    {K::Button, "MP3PlayCmd", "Play", "", {2160, 120, 855, 315}, true, kPoints,
     run<&OrbalitePanel::MP3PlayCmd_Click>},
    {K::Button, "MP3FormatCmd", "Format Drive", "", {3240, 120, 1335, 315}, true, kPoints,
     run<&OrbalitePanel::MP3FormatCmd_Click>},
    {K::Label, "Label3", "From:", "", {5190, 230, 540, 210}, true, kPoints},
    {K::Text, "MP3FromTxt", "", "Original file name.", {5760, 120, 975, 315}, false, 0, nullptr,
     kNameLength},
    {K::Text, "MP3FromExtTxt", "", "Original file extension.", {6720, 120, 495, 315}, false, 0,
     nullptr, kExtensionLength, false, "From extension"},
    {K::Button, "MP3StopCmd", "Stop", "", {120, 520, 855, 315}, true, kPoints,
     run<&OrbalitePanel::MP3StopCmd_Click>},
    {K::Button, "MP3LPlayCmd", "Loop Play", "", {1920, 520, 1095, 315}, true, kPoints,
     run<&OrbalitePanel::MP3LPlayCmd_Click>},
    {K::Button, "MP3VerCmd", "Firmware Version", "", {3240, 520, 1695, 315}, true, kPoints,
     run<&OrbalitePanel::MP3VerCmd_Click>},
    {K::Label, "Label4", "To:", "", {5460, 590, 270, 210}, true, kPoints},
    {K::Text, "MP3ToTxt", "", "New file name.", {5760, 480, 975, 315}, false, 0, nullptr,
     kNameLength},
    {K::Text, "MP3ToExtTxt", "", "New file extension.", {6720, 480, 495, 315}, false, 0, nullptr,
     kExtensionLength, false, "To extension"},
    {K::Button, "MP3RNCmd", "Rename File", "", {5760, 840, 1455, 315}, true, kPoints,
     run<&OrbalitePanel::MP3RNCmd_Click>},
    {K::Button, "MP3PauseCmd", "Pause", "", {120, 920, 855, 315}, true, kPoints,
     run<&OrbalitePanel::MP3PauseCmd_Click>},
    {K::List, "MP3AudioCmb",
     "Mute|Unmute|Volume-2|Volume-3|Volume-4|Volume-5|Volume-6|Volume-7|Volume-8|Volume-9", "",
     {1175, 920, 1120, 315}, false, 0, nullptr, 0, true, "Audio command"},
    {K::Button, "MP3AudioCmd", "Audio", "", {2280, 920, 735, 315}, true, kPoints,
     run<&OrbalitePanel::MP3AudioCmd_Click>},
    {K::Button, "MP3StorageCmd", "Total Storage", "", {3240, 920, 1335, 315}, true, kPoints,
     run<&OrbalitePanel::MP3StorageCmd_Click>},
    {K::Button, "MP3FListCmd", "List Files", "", {120, 1320, 975, 315}, true, kPoints,
     run<&OrbalitePanel::MP3FListCmd_Click>},
    {K::Button, "MP3ResetCmd", "Soft Reset", "", {1920, 1320, 1095, 315}, true, kPoints,
     run<&OrbalitePanel::MP3ResetCmd_Click>},
};
// clang-format on

OrbalitePanel::OrbalitePanel(CommandPort &port, QWidget *parent)
    : DevicePanel("MP3Frame", port, parent)
{
    createControls(this, kControls);
    MP3FileTxt = control<FilteredLineEdit>(this, "MP3FileTxt");
    MP3FromTxt = control<FilteredLineEdit>(this, "MP3FromTxt");
    MP3FromExtTxt = control<FilteredLineEdit>(this, "MP3FromExtTxt");
    MP3ToTxt = control<FilteredLineEdit>(this, "MP3ToTxt");
    MP3ToExtTxt = control<FilteredLineEdit>(this, "MP3ToExtTxt");
    MP3AudioCmb = control<QComboBox>(this, "MP3AudioCmb");

    // The file-name fields take any character; only the number is filtered.
    MP3FileTxt->setKeyFilter(validation::numberKey);
}

void OrbalitePanel::MP3PlayCmd_Click()
{
    deliver(ascii::play());
}

void OrbalitePanel::MP3PauseCmd_Click()
{
    deliver(ascii::pause());
}

void OrbalitePanel::MP3StopCmd_Click()
{
    deliver(ascii::stop());
}

void OrbalitePanel::MP3LPlayCmd_Click()
{
    deliver(ascii::loopPlay());
}

void OrbalitePanel::MP3SearchCmd_Click()
{
    deliver(ascii::search(MP3FileTxt->text()));
}

void OrbalitePanel::MP3AudioCmd_Click()
{
    deliver(orbalite::audio(MP3AudioCmb->currentText()));
}

void OrbalitePanel::MP3FListCmd_Click()
{
    deliver(orbalite::listFiles());
}

void OrbalitePanel::MP3StorageCmd_Click()
{
    deliver(orbalite::totalStorage());
}

void OrbalitePanel::MP3FormatCmd_Click()
{
    deliver(orbalite::formatDrive());
}

void OrbalitePanel::MP3RNCmd_Click()
{
    deliver(orbalite::rename(MP3FromTxt->text(), MP3FromExtTxt->text(), MP3ToTxt->text(),
                             MP3ToExtTxt->text()));
}

void OrbalitePanel::MP3ResetCmd_Click()
{
    deliver(ascii::softReboot());
}

void OrbalitePanel::MP3VerCmd_Click()
{
    deliver(ascii::versionRequest());
}

} // namespace zentrel
