#include "devices/wendlopanel.h"

#include "devices/asciicommand.h"
#include "devices/validation.h"
#include "devices/wendlocommands.h"
#include "forms/filteredlineedit.h"

#include <QComboBox>
#include <QPushButton>

namespace zentrel {

namespace {

using K = ControlKind;
constexpr qreal kPoints = 8.25;

} // namespace

// In reading order, as Tab walks them.
// clang-format off
const ControlSpec WendloPanel::kControls[] = {
    {K::Label, "ChanLbl", "Channel:", "", {120, 190, 825, 200}, true, kPoints},
    {K::List, "ChanCmb", "1|2|3|4|5|6|7|8|*", "", {945, 120, 555, 315}},
    {K::Button, "WendloASoundCmd", "Assign Sound", "", {1680, 120, 1455, 315}, true, kPoints,
     run<&WendloPanel::WendloASoundCmd_Click>},
    {K::Button, "WendloVerCmd", "Firmware Version", "", {3360, 120, 1695, 315}, true, kPoints,
     run<&WendloPanel::WendloVerCmd_Click>},
    {K::Label, "FileLbl", "File:", "", {120, 600, 405, 200}, true, kPoints},
    {K::Text, "WendloFileTxt", "", "", {525, 520, 615, 315}, false, 0, nullptr,
     validation::kWendloFileLength},
    {K::Button, "WendloResetCmd", "Reset Channel", "", {1680, 520, 1455, 315}, true, kPoints,
     run<&WendloPanel::WendloResetCmd_Click>},
    {K::Button, "WendloPlayCmd", "Play", "", {120, 920, 855, 315}, true, kPoints,
     run<&WendloPanel::WendloPlayCmd_Click>},
    {K::List, "WendloAudioCmb", "Mute|Unmute", "", {1320, 920, 1095, 315}, false, 0, nullptr, 0,
     true, "Audio command"},
    {K::Button, "WendloAudioCmd", "Audio", "", {2400, 920, 735, 315}, true, kPoints,
     run<&WendloPanel::WendloAudioCmd_Click>},
    {K::Button, "WendloLPlayCmd", "Loop Play", "", {120, 1320, 1095, 315}, true, kPoints,
     run<&WendloPanel::WendloLPlayCmd_Click>},
    {K::List, "WendloKeyCmb", "On|Off", "", {1560, 1320, 735, 315}, false, 0, nullptr, 0, false,
     "Keylock command"},
    {K::Button, "WendloKeyCmd", "Keylock", "", {2280, 1320, 855, 315}, true, kPoints,
     run<&WendloPanel::WendloKeyCmd_Click>},
};
// clang-format on

WendloPanel::WendloPanel(CommandPort &port, QWidget *parent)
    : DevicePanel("WendloFrame", port, parent)
{
    createControls(this, kControls);
    ChanCmb = control<QComboBox>(this, "ChanCmb");
    WendloFileTxt = control<FilteredLineEdit>(this, "WendloFileTxt");
    WendloAudioCmb = control<QComboBox>(this, "WendloAudioCmb");
    WendloKeyCmb = control<QComboBox>(this, "WendloKeyCmb");

    WendloFileTxt->setKeyFilter(validation::numberKey);
}

void WendloPanel::WendloASoundCmd_Click()
{
    deliver(wendlo::assignSound(ChanCmb->currentText(), WendloFileTxt->text()));
}

void WendloPanel::WendloPlayCmd_Click()
{
    deliver(wendlo::play(ChanCmb->currentText(), WendloFileTxt->text()));
}

void WendloPanel::WendloLPlayCmd_Click()
{
    deliver(wendlo::loopPlay(ChanCmb->currentText(), WendloFileTxt->text()));
}

void WendloPanel::WendloResetCmd_Click()
{
    deliver(wendlo::resetChannel(ChanCmb->currentText()));
}

void WendloPanel::WendloAudioCmd_Click()
{
    deliver(wendlo::audio(ChanCmb->currentText(), WendloAudioCmb->currentText()));
}

void WendloPanel::WendloKeyCmd_Click()
{
    deliver(wendlo::keylock(WendloKeyCmb->currentText()));
}

void WendloPanel::WendloVerCmd_Click()
{
    deliver(ascii::versionRequest());
}

} // namespace zentrel
