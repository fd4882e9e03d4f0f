#pragma once

#include "devices/devicepanel.h"

class QComboBox;

namespace zentrel {

class FilteredLineEdit;

// The Pelvox/HD video machine: transport, mute, colour space, video format,
// debug mode and its IP address.
class PelvoxHDPanel : public DevicePanel
{
    Q_OBJECT

public:
    PelvoxHDPanel(CommandPort &port, QWidget *parent);

    static const ControlSpec kControls[];

private:
    void PelvoxHDPlayCmd_Click();
    void PelvoxHDPauseCmd_Click();
    void PelvoxHDStillCmd_Click();
    void PelvoxHDStopCmd_Click();
    void PelvoxHDLPlayCmd_Click();
    void PelvoxHDSearchCmd_Click();
    void PelvoxHDMuteCmd_Click();
    void PelvoxHDUnmuteCmd_Click();
    void PelvoxHDDebugCmd_Click();
    void CSpaceCmd_Click();
    void VFormatCmd_Click();
    void PelvoxHDSetIPCmd_Click();
    void PelvoxHDIPReqCmd_Click();
    void PelvoxHDVersionCmd_Click();

    FilteredLineEdit *PelvoxHDFileTxt = nullptr;
    FilteredLineEdit *PelvoxHDSetIPTxt = nullptr;
    QComboBox *PelvoxHDDebugCmb = nullptr;
    QComboBox *PelvoxHDMuteCmb = nullptr;
    QComboBox *PelvoxHDUnmuteCmb = nullptr;
    QComboBox *CSpaceCmb = nullptr;
    QComboBox *VFormatCmb = nullptr;
};

} // namespace zentrel
