#include "devices/pelvox2panel.h"

#include "devices/asciicommand.h"
#include "devices/pelvox2commands.h"
#include "devices/validation.h"
#include "forms/filteredlineedit.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QPushButton>

namespace zentrel {

namespace {

using K = ControlKind;
constexpr qreal kButtonPoints = 8.25;
constexpr qreal kLabelPoints = 9.75;

} // namespace

// clang-format off
const ControlSpec Pelvox2Panel::kControls[] = {
    {K::Button, "Pelvox2SearchCmd", "Search", "", {120, 120, 855, 315}, true, kButtonPoints,
     run<&Pelvox2Panel::Pelvox2SearchCmd_Click>},
    {K::Text, "Pelvox2FileTxt", "", "Enter file number to select here.", {970, 120, 855, 315},
     false, 0, nullptr, validation::kFileNumberLength, false, "File number"},
    {K::Button, "Pelvox2StopCmd", "Stop", "", {2040, 120, 615, 315}, true, kButtonPoints,
     run<&Pelvox2Panel::Pelvox2StopCmd_Click>},
    {K::Button, "Pelvox2MuteCmd", "Mute", "", {2880, 120, 615, 315}, true, kButtonPoints,
     run<&Pelvox2Panel::Pelvox2MuteCmd_Click>},
    {K::List, "Pelvox2MuteCmb", "Video|Audio", "", {3480, 120, 930, 315}, false, 0, nullptr, 0,
     false, "Media to mute"},
    {K::List, "Pelvox2SampleRateCmb", "Auto|32KHz|44.1KHz|48KHz|AC-3|Next File", "",
     {4670, 120, 1215, 315}, false, 0, nullptr, 0, false, "Audio sample rate"},
    {K::Button, "Pelvox2SampleRateCmd", "Sample Rate", "", {5880, 120, 1335, 315}, true,
     kButtonPoints, run<&Pelvox2Panel::Pelvox2SampleRateCmd_Click>},
    {K::Button, "Pelvox2PlayCmd", "Play", "", {120, 520, 855, 315}, true, kButtonPoints,
     run<&Pelvox2Panel::Pelvox2PlayCmd_Click>},
    {K::Button, "Pelvox2StillCmd", "Still", "", {2040, 520, 615, 315}, true, kButtonPoints,
     run<&Pelvox2Panel::Pelvox2StillCmd_Click>},
    {K::Button, "Pelvox2UnmuteCmd", "Unmute", "", {2880, 520, 855, 315}, true, kButtonPoints,
     run<&Pelvox2Panel::Pelvox2UnmuteCmd_Click>},
    {K::List, "Pelvox2UnmuteCmb", "Video|Audio", "", {3720, 520, 930, 315}, false, 0, nullptr, 0,
     false, "Media to unmute"},
    {K::Button, "Pelvox2LPlayCmd", "Loop Play", "", {120, 920, 1095, 315}, true, kButtonPoints,
     run<&Pelvox2Panel::Pelvox2LPlayCmd_Click>},
    {K::Button, "Pelvox2PauseCmd", "Pause", "", {1800, 920, 855, 315}, true, kButtonPoints,
     run<&Pelvox2Panel::Pelvox2PauseCmd_Click>},
    {K::Button, "Pelvox2RequestCmd", "Request", "", {2880, 920, 975, 315}, true, kButtonPoints,
     run<&Pelvox2Panel::Pelvox2RequestCmd_Click>},
    {K::List, "Pelvox2ReqCmb",
     "Unit ID|IP Address|Gateway Address|Subnet Mask|File List|Firmware Version|Current File|"
     "Current Mode",
     "", {3840, 920, 1905, 315}, false, 0, nullptr, 0, false, "Information to request"},
    {K::Button, "Pelvox2DHCPCmd", "DHCP", "", {120, 1320, 735, 315}, true, kButtonPoints,
     run<&Pelvox2Panel::Pelvox2DHCPCmd_Click>},
    {K::Button, "Pelvox2RebootCmd", "Soft Reboot", "", {1440, 1320, 1215, 315}, true, kButtonPoints,
     run<&Pelvox2Panel::Pelvox2RebootCmd_Click>},
    {K::Button, "Pelvox2SetCmd", "Set", "", {2880, 1320, 495, 315}, true, kButtonPoints,
     run<&Pelvox2Panel::Pelvox2SetCmd_Click>},
    {K::List, "Pelvox2SetCmb", "Unit ID|IP Address|Gateway Address|Subnet Mask", "",
     {3360, 1320, 1905, 315}, false, 0, nullptr, 0, false, "Parameter to set"},
    {K::Label, "Label5", "TO", "", {5300, 1360, 375, 375}, true, kLabelPoints},
    {K::Text, "Pelvox2SetTxt", "", "Enter new parameter here.", {5760, 1320, 1455, 315}, false, 0,
     nullptr, validation::kAddressLength},
};
// clang-format on

Pelvox2Panel::Pelvox2Panel(CommandPort &port, QWidget *parent)
    : DevicePanel("Pelvox2Frame", port, parent)
{
    createControls(this, kControls);
    Pelvox2FileTxt = control<FilteredLineEdit>(this, "Pelvox2FileTxt");
    Pelvox2SetTxt = control<FilteredLineEdit>(this, "Pelvox2SetTxt");
    Pelvox2MuteCmb = control<QComboBox>(this, "Pelvox2MuteCmb");
    Pelvox2UnmuteCmb = control<QComboBox>(this, "Pelvox2UnmuteCmb");
    Pelvox2SampleRateCmb = control<QComboBox>(this, "Pelvox2SampleRateCmb");
    Pelvox2ReqCmb = control<QComboBox>(this, "Pelvox2ReqCmb");
    Pelvox2SetCmb = control<QComboBox>(this, "Pelvox2SetCmb");

    Pelvox2FileTxt->setKeyFilter(validation::numberKey);
    // The dot depends on the parameter shown at the moment of typing.
    Pelvox2SetTxt->setKeyFilter([this](char16_t code) {
        return validation::parameterKey(code, Pelvox2SetCmb->currentText());
    });
    Pelvox2SetCmb->installEventFilter(this);
}

bool Pelvox2Panel::eventFilter(QObject *watched, QEvent *event)
{
    // Only a move to another control counts: opening the list's own popup or
    // switching to another window leaves the focus where it is.
    if (watched == Pelvox2SetCmb && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            Pelvox2SetCmb_Validate();
    }
    return DevicePanel::eventFilter(watched, event);
}

void Pelvox2Panel::Pelvox2SetCmb_Validate()
{
    Pelvox2SetTxt->setMaxLength(validation::parameterMaxLength(Pelvox2SetCmb->currentText()));
    Pelvox2SetTxt->clear();
}

void Pelvox2Panel::Pelvox2PlayCmd_Click()
{
    deliver(ascii::play());
}

void Pelvox2Panel::Pelvox2PauseCmd_Click()
{
    deliver(ascii::pause());
}

void Pelvox2Panel::Pelvox2StillCmd_Click()
{
    deliver(ascii::still());
}

void Pelvox2Panel::Pelvox2StopCmd_Click()
{
    deliver(ascii::stop());
}

void Pelvox2Panel::Pelvox2LPlayCmd_Click()
{
    deliver(ascii::loopPlay());
}

void Pelvox2Panel::Pelvox2SearchCmd_Click()
{
    deliver(ascii::search(Pelvox2FileTxt->text()));
}

void Pelvox2Panel::Pelvox2MuteCmd_Click()
{
    deliver(ascii::mute(Pelvox2MuteCmb->currentText()));
}

void Pelvox2Panel::Pelvox2UnmuteCmd_Click()
{
    deliver(ascii::unmute(Pelvox2UnmuteCmb->currentText()));
}

void Pelvox2Panel::Pelvox2SampleRateCmd_Click()
{
    deliver(pelvox2::sampleRate(Pelvox2SampleRateCmb->currentText()));
}

void Pelvox2Panel::Pelvox2RequestCmd_Click()
{
    deliver(pelvox2::request(Pelvox2ReqCmb->currentText()));
}

void Pelvox2Panel::Pelvox2SetCmd_Click()
{
    deliver(pelvox2::set(Pelvox2SetCmb->currentText(), Pelvox2SetTxt->text()));
}

void Pelvox2Panel::Pelvox2DHCPCmd_Click()
{
    deliver(pelvox2::dhcp());
}

void Pelvox2Panel::Pelvox2RebootCmd_Click()
{
    deliver(ascii::softReboot());
}

} // namespace zentrel
