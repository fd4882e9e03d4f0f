#pragma once

#include "devices/devicepanel.h"

class QComboBox;

namespace zentrel {

class FilteredLineEdit;

// The 8Wendlo eight-channel audio player: sound files assigned to and played
// on a channel, channel mute, and the unit's key lock.
class WendloPanel : public DevicePanel
{
    Q_OBJECT

public:
    WendloPanel(CommandPort &port, QWidget *parent);

    static const ControlSpec kControls[];

private:
    void WendloASoundCmd_Click();
    void WendloPlayCmd_Click();
    void WendloLPlayCmd_Click();
    void WendloResetCmd_Click();
    void WendloAudioCmd_Click();
    void WendloKeyCmd_Click();
    void WendloVerCmd_Click();

    QComboBox *ChanCmb = nullptr;
    FilteredLineEdit *WendloFileTxt = nullptr;
    QComboBox *WendloAudioCmb = nullptr;
    QComboBox *WendloKeyCmb = nullptr;
};

} // namespace zentrel
