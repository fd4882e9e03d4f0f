#include "devices/pelvoxhdpanel.h"

#include "devices/asciicommand.h"
#include "devices/pelvoxhdcommands.h"
#include "devices/validation.h"
#include "forms/filteredlineedit.h"

#include <QComboBox>
#include <QPushButton>

namespace zentrel {

namespace {

using K = ControlKind;
constexpr qreal kButtonPoints = 8.25;

} // namespace

// clang-format off
const ControlSpec PelvoxHDPanel::kControls[] = {
    {K::Button, "PelvoxHDSearchCmd", "Search", "", {120, 120, 855, 315}, true, kButtonPoints,
     run<&PelvoxHDPanel::PelvoxHDSearchCmd_Click>},
    {K::Text, "PelvoxHDFileTxt", "", "", {970, 120, 855, 315}, false, 0, nullptr,
     validation::kFileNumberLength, false, "File number"},
    {K::Button, "PelvoxHDPlayCmd", "Play", "", {2040, 120, 855, 315}, true, kButtonPoints,
     run<&PelvoxHDPanel::PelvoxHDPlayCmd_Click>},
    {K::Button, "PelvoxHDDebugCmd", "Debug Mode", "", {3120, 120, 1335, 315}, true, kButtonPoints,
     run<&PelvoxHDPanel::PelvoxHDDebugCmd_Click>},
    {K::List, "PelvoxHDDebugCmb", "On|Off", "", {4440, 120, 705, 315}, false, 0, nullptr, 0, false,
     "Debug Mode option"},
    {K::Button, "PelvoxHDVersionCmd", "OS Version", "", {6000, 120, 1215, 315}, true, kButtonPoints,
     run<&PelvoxHDPanel::PelvoxHDVersionCmd_Click>},
    {K::Button, "PelvoxHDStopCmd", "Stop", "", {120, 520, 855, 315}, true, kButtonPoints,
     run<&PelvoxHDPanel::PelvoxHDStopCmd_Click>},
    {K::Button, "PelvoxHDLPlayCmd", "Loop Play", "", {1800, 520, 1095, 315}, true, kButtonPoints,
     run<&PelvoxHDPanel::PelvoxHDLPlayCmd_Click>},
    {K::Button, "PelvoxHDSetIPCmd", "Set IP", "", {3120, 520, 855, 315}, true, kButtonPoints,
     run<&PelvoxHDPanel::PelvoxHDSetIPCmd_Click>},
    {K::Text, "PelvoxHDSetIPTxt", "", "", {3960, 520, 1575, 315}, false, 0, nullptr,
     validation::kAddressLength, false, "IP Address"},
    {K::Button, "PelvoxHDIPReqCmd", "IP Request", "", {6000, 520, 1215, 315}, true, kButtonPoints,
     run<&PelvoxHDPanel::PelvoxHDIPReqCmd_Click>},
    {K::Button, "PelvoxHDPauseCmd", "Pause", "", {120, 920, 855, 315}, true, kButtonPoints,
     run<&PelvoxHDPanel::PelvoxHDPauseCmd_Click>},
    {K::List, "PelvoxHDMuteCmb", "Video|Audio", "", {1420, 920, 865, 315}, false, 0, nullptr, 0,
     true, "Media to mute"},
    {K::Button, "PelvoxHDMuteCmd", "Mute", "", {2280, 920, 615, 315}, true, kButtonPoints,
     run<&PelvoxHDPanel::PelvoxHDMuteCmd_Click>},
    {K::Button, "CSpaceCmd", "Colorspace", "", {3120, 920, 1215, 315}, true, kButtonPoints,
     run<&PelvoxHDPanel::CSpaceCmd_Click>},
    {K::List, "CSpaceCmb", "RGB-HV|YPbPr", "", {4320, 920, 1215, 315}, false, 0, nullptr, 0, false,
     "Colorspace"},
    {K::Button, "PelvoxHDStillCmd", "Still", "", {120, 1320, 855, 315}, true, kButtonPoints,
     run<&PelvoxHDPanel::PelvoxHDStillCmd_Click>},
    {K::List, "PelvoxHDUnmuteCmb", "Video|Audio", "", {1200, 1320, 865, 315}, false, 0, nullptr,
     0, true, "Media to unmute"},
    {K::Button, "PelvoxHDUnmuteCmd", "Unmute", "", {2040, 1320, 855, 315}, true, kButtonPoints,
     run<&PelvoxHDPanel::PelvoxHDUnmuteCmd_Click>},
    {K::Button, "VFormatCmd", "Video Format", "", {3120, 1320, 1335, 315}, true, kButtonPoints,
     run<&PelvoxHDPanel::VFormatCmd_Click>},
    {K::List, "VFormatCmb",
     "1080i|1080i25-16:9|1080i29-16:9|1080i30-16:9|720p|720p50-16:9|720p59-16:9|720p60-16:9|"
     "720p50-4:3|720p59-4:3|720p60-4:3|480p|480p59-4:3|NTSC|480i29-4:3|PAL|576i25-4:3",
     "", {4440, 1320, 1545, 315}, false, 0, nullptr, 0, false, "Video format"},
};
// clang-format on

PelvoxHDPanel::PelvoxHDPanel(CommandPort &port, QWidget *parent)
    : DevicePanel("PelvoxHDFrame", port, parent)
{
    createControls(this, kControls);
    PelvoxHDFileTxt = control<FilteredLineEdit>(this, "PelvoxHDFileTxt");
    PelvoxHDSetIPTxt = control<FilteredLineEdit>(this, "PelvoxHDSetIPTxt");
    PelvoxHDDebugCmb = control<QComboBox>(this, "PelvoxHDDebugCmb");
    PelvoxHDMuteCmb = control<QComboBox>(this, "PelvoxHDMuteCmb");
    PelvoxHDUnmuteCmb = control<QComboBox>(this, "PelvoxHDUnmuteCmb");
    CSpaceCmb = control<QComboBox>(this, "CSpaceCmb");
    VFormatCmb = control<QComboBox>(this, "VFormatCmb");

    PelvoxHDFileTxt->setKeyFilter(validation::numberKey);
    PelvoxHDSetIPTxt->setKeyFilter(validation::addressKey);
}

void PelvoxHDPanel::PelvoxHDPlayCmd_Click()
{
    deliver(ascii::play());
}

void PelvoxHDPanel::PelvoxHDPauseCmd_Click()
{
    deliver(ascii::pause());
}

void PelvoxHDPanel::PelvoxHDStillCmd_Click()
{
    deliver(ascii::still());
}

void PelvoxHDPanel::PelvoxHDStopCmd_Click()
{
    deliver(ascii::stop());
}

void PelvoxHDPanel::PelvoxHDLPlayCmd_Click()
{
    deliver(ascii::loopPlay());
}

void PelvoxHDPanel::PelvoxHDSearchCmd_Click()
{
    deliver(ascii::search(PelvoxHDFileTxt->text()));
}

void PelvoxHDPanel::PelvoxHDMuteCmd_Click()
{
    deliver(ascii::mute(PelvoxHDMuteCmb->currentText()));
}

void PelvoxHDPanel::PelvoxHDUnmuteCmd_Click()
{
    deliver(ascii::unmute(PelvoxHDUnmuteCmb->currentText()));
}

void PelvoxHDPanel::PelvoxHDDebugCmd_Click()
{
    deliver(pelvoxhd::debugMode(PelvoxHDDebugCmb->currentText()));
}

void PelvoxHDPanel::CSpaceCmd_Click()
{
    deliver(pelvoxhd::colorspace(CSpaceCmb->currentText()));
}

void PelvoxHDPanel::VFormatCmd_Click()
{
    deliver(pelvoxhd::videoFormat(VFormatCmb->currentText()));
}

void PelvoxHDPanel::PelvoxHDSetIPCmd_Click()
{
    deliver(pelvoxhd::setIP(PelvoxHDSetIPTxt->text()));
}

void PelvoxHDPanel::PelvoxHDIPReqCmd_Click()
{
    deliver(pelvoxhd::ipRequest());
}

void PelvoxHDPanel::PelvoxHDVersionCmd_Click()
{
    deliver(ascii::versionRequest());
}

} // namespace zentrel
