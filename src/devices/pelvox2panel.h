#pragma once

#include "devices/devicepanel.h"

class QComboBox;

namespace zentrel {

class FilteredLineEdit;

// The Pelvox2 video machine: transport, mute, sample rate, requests, and the
// "Set <parameter> TO <value>" row for its identity and network settings.
class Pelvox2Panel : public DevicePanel
{
    Q_OBJECT

public:
    Pelvox2Panel(CommandPort &port, QWidget *parent);

    static const ControlSpec kControls[];

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Pelvox2PlayCmd_Click();
    void Pelvox2PauseCmd_Click();
    void Pelvox2StillCmd_Click();
    void Pelvox2StopCmd_Click();
    void Pelvox2LPlayCmd_Click();
    void Pelvox2SearchCmd_Click();
    void Pelvox2MuteCmd_Click();
    void Pelvox2UnmuteCmd_Click();
    void Pelvox2SampleRateCmd_Click();
    void Pelvox2RequestCmd_Click();
    void Pelvox2SetCmd_Click();
    void Pelvox2DHCPCmd_Click();
    void Pelvox2RebootCmd_Click();
    void Pelvox2SetCmb_Validate();

    FilteredLineEdit *Pelvox2FileTxt = nullptr;
    FilteredLineEdit *Pelvox2SetTxt = nullptr;
    QComboBox *Pelvox2MuteCmb = nullptr;
    QComboBox *Pelvox2UnmuteCmb = nullptr;
    QComboBox *Pelvox2SampleRateCmb = nullptr;
    QComboBox *Pelvox2ReqCmb = nullptr;
    QComboBox *Pelvox2SetCmb = nullptr;
};

} // namespace zentrel
