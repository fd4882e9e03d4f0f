#pragma once

#include "devices/devicepanel.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace zentrel {

namespace showctl {
struct DataField;
}

// The 8-Bit panel: composes one show controller command at a time. Choosing
// a command reshapes the two data positions; Send encodes the fields into a
// binary packet.
class ShowCtlPanel : public DevicePanel
{
    Q_OBJECT

public:
    ShowCtlPanel(CommandPort &port, QWidget *parent);

    static const ControlSpec kControls[];

private:
    void SCCmdCmb_Click();
    void SCSetCmd_Click();

    QComboBox *TargetAdrCmb = nullptr;
    QComboBox *ResponseCmb = nullptr;
    QComboBox *SCCmdCmb = nullptr;
    QLabel *SCData1Lbl = nullptr;
    QComboBox *SCData1Cmb = nullptr;
    QLineEdit *SCData1Txt = nullptr;
    QLabel *SCData2Lbl = nullptr;
    QComboBox *SCData2Cmb = nullptr;
    QLineEdit *SCData2Txt = nullptr;
};

} // namespace zentrel
