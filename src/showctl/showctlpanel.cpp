#include "showctl/showctlpanel.h"

#include "showctl/showctlencoder.h"
#include "showctl/showctllayout.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace zentrel {

namespace {

using K = ControlKind;

constexpr qreal kFixedFontSize = 8.25;
constexpr int kDataTextLength = 255;

} // namespace

const ControlSpec ShowCtlPanel::kControls[] = {
    {K::Label, "TargetAdrLbl", "Target Address:", "", {120, 190, 1470, 315}, true, kFixedFontSize},
    {K::List, "TargetAdrCmb", "", "", {1590, 120, 750, 315}},
    {K::Label, "ResponseLbl", "Response:", "", {120, 580, 975, 315}, true, kFixedFontSize},
    {K::List, "ResponseCmb", showctl::kResponseModeItems, "", {1095, 480, 1815, 315}},
    {K::Button,
     "SCSetCmd",
     "Send",
     "",
     {120, 1200, 615, 315},
     true,
     kFixedFontSize,
     run<&ShowCtlPanel::SCSetCmd_Click>},
    {K::List,
     "SCCmdCmb",
     "",
     "",
     {960, 1200, 1485, 315},
     false,
     0,
     run<&ShowCtlPanel::SCCmdCmb_Click>,
     0,
     false,
     "Show Controller command"},
    {K::Label, "SCData1Lbl", "", "", {2520, 960, showctl::kData1LabelWidth, 255}},
    {K::List, "SCData1Cmb", "", "", {2520, 1200, 1575, 315}},
    {K::Text,
     "SCData1Txt",
     "",
     "Enter file number to select here.",
     {2520, 1200, 4695, 315},
     false,
     0,
     nullptr,
     kDataTextLength},
    {K::Label, "SCData2Lbl", "", "", {4200, 960, showctl::kData2LabelWidth, 255}},
    {K::List, "SCData2Cmb", "", "", {4200, 1200, 1455, 315}},
    {K::Text,
     "SCData2Txt",
     "",
     "Enter file number to select here.",
     {4200, 1200, 3015, 315},
     false,
     0,
     nullptr,
     kDataTextLength},
};

namespace {

void resetLabelWidth(QLabel *label, int twips)
{
    label->resize(twips / 15, label->height());
}

// Shows the one control the position needs (or none) under its label.
void applyField(const showctl::DataField &field, QLabel *label, QComboBox *list, QLineEdit *text)
{
    using showctl::FieldKind;
    text->setVisible(field.kind == FieldKind::Text);
    list->setVisible(field.kind == FieldKind::List);
    label->setText(field.caption);
    resetLabelWidth(label, field.labelWidth);
    label->setVisible(field.kind != FieldKind::None);
    // The caption names whichever of the two the position shows.
    label->setBuddy(field.kind == FieldKind::Text ? static_cast<QWidget *>(text) : list);
    list->addItems(field.items);
    list->setCurrentIndex(-1);
}

// The text of whichever control the position shows; a hidden one is not read.
QString shownText(const QComboBox *list, const QLineEdit *text)
{
    if (!list->isHidden())
        return list->currentText();
    if (!text->isHidden())
        return text->text();
    return {};
}

} // namespace

ShowCtlPanel::ShowCtlPanel(CommandPort &port, QWidget *parent)
    : DevicePanel("EightBitFrm", port, parent)
{
    createControls(this, kControls);
    TargetAdrCmb = control<QComboBox>(this, "TargetAdrCmb");
    ResponseCmb = control<QComboBox>(this, "ResponseCmb");
    SCCmdCmb = control<QComboBox>(this, "SCCmdCmb");
    SCData1Lbl = control<QLabel>(this, "SCData1Lbl");
    SCData1Cmb = control<QComboBox>(this, "SCData1Cmb");
    SCData1Txt = control<QLineEdit>(this, "SCData1Txt");
    SCData2Lbl = control<QLabel>(this, "SCData2Lbl");
    SCData2Cmb = control<QComboBox>(this, "SCData2Cmb");
    SCData2Txt = control<QLineEdit>(this, "SCData2Txt");
    for (QWidget *position : std::initializer_list<QWidget *>{SCData1Lbl, SCData1Cmb, SCData1Txt,
                                                              SCData2Lbl, SCData2Cmb, SCData2Txt})
        position->hide();

    // A list that gains its first items picks the first of them by itself;
    // no target and no command may be chosen for the operator.
    TargetAdrCmb->addItems(showctl::targetAddresses());
    TargetAdrCmb->setCurrentIndex(-1);
    SCCmdCmb->addItems(showctl::commandNames());
    SCCmdCmb->setCurrentIndex(-1);
}

void ShowCtlPanel::SCCmdCmb_Click()
{
    const QString command = SCCmdCmb->currentText();
    if (command.isEmpty())
        return;
    SCData1Cmb->clear();
    SCData2Cmb->clear();
    SCData1Txt->clear();
    SCData2Txt->clear();
    resetLabelWidth(SCData1Lbl, showctl::kData1LabelWidth);
    resetLabelWidth(SCData2Lbl, showctl::kData2LabelWidth);
    const auto layout = showctl::commandLayout(command);
    if (!layout)
        return;
    applyField(layout->data1, SCData1Lbl, SCData1Cmb, SCData1Txt);
    applyField(layout->data2, SCData2Lbl, SCData2Cmb, SCData2Txt);
}

void ShowCtlPanel::SCSetCmd_Click()
{
    deliver(showctl::encodePacket({TargetAdrCmb->currentText(), ResponseCmb->currentText(),
                                   SCCmdCmb->currentText(), shownText(SCData1Cmb, SCData1Txt),
                                   shownText(SCData2Cmb, SCData2Txt)}));
}

} // namespace zentrel
