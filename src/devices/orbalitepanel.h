#pragma once

#include "devices/devicepanel.h"

class QComboBox;

namespace zentrel {

class FilteredLineEdit;

// The Orbalite MP3 player: transport, mute and volume, and its file storage
// (list, total, rename, format).
class OrbalitePanel : public DevicePanel
{
    Q_OBJECT

public:
    OrbalitePanel(CommandPort &port, QWidget *parent);

    static const ControlSpec kControls[];

private:
    void MP3PlayCmd_Click();
    void MP3PauseCmd_Click();
    void MP3StopCmd_Click();
    void MP3LPlayCmd_Click();
    void MP3SearchCmd_Click();
    void MP3AudioCmd_Click();
    void MP3FListCmd_Click();
    void MP3StorageCmd_Click();
    void MP3FormatCmd_Click();
    void MP3RNCmd_Click();
    void MP3ResetCmd_Click();
    void MP3VerCmd_Click();

    FilteredLineEdit *MP3FileTxt = nullptr;
    FilteredLineEdit *MP3FromTxt = nullptr;
    FilteredLineEdit *MP3FromExtTxt = nullptr;
    FilteredLineEdit *MP3ToTxt = nullptr;
    FilteredLineEdit *MP3ToExtTxt = nullptr;
    QComboBox *MP3AudioCmb = nullptr;
};

} // namespace zentrel
