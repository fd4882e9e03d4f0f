#include "app/terminal.h"

#include "app/aboutbox.h"
#include "devices/devicetabs.h"
#include "devices/orbalitepanel.h"
#include "devices/pelvox2panel.h"
#include "devices/pelvoxhdpanel.h"
#include "devices/wendlopanel.h"
#include "forms/filteredlineedit.h"
#include "forms/formtable.h"
#include "serial/com.h"
#include "serial/portaccess.h"
#include "showctl/showctlpanel.h"
#include "terminal/logview.h"
#include "terminal/unitid.h"
#include "tools/customnotation.h"
#include "tools/logtools.h"
#include "tools/portlist.h"
#include "tools/quickstrings.h"
#include "tools/rapidfire.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabBar>

namespace zentrel {

namespace {

using K = ControlKind;
constexpr Qt::Edges kAllEdges = Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge;
constexpr Qt::Edges kTopRight = Qt::TopEdge | Qt::RightEdge;
constexpr Qt::Edges kBottomLeft = Qt::LeftEdge | Qt::BottomEdge;

} // namespace

// The window's own controls, outside the group frames. The log tools and
// Rapid Fire wire the buttons they are handed.
// clang-format off
const ControlSpec Terminal::kWindowControls[] = {
    {K::Group, "Frame2", "Settings", "", {5760, 120, 1935, 1335}},
    {K::Group, "QuickFrm", "Quick Strings", "", {5760, 1560, 1935, 2175}},
    {K::Button, "ClearCmd", "Clear Log", "Clear all text from log window.", {120, 3000, 855, 255}},
    {K::Button, "SaveLogCmd", "Save Log", "Save log to file.", {1080, 3000, 855, 255}},
    {K::Button, "FontCmd", "Font Size", "Change log window font size.", {2040, 3000, 855, 255}},
    {K::Button, "RapidCmd", "Rapid Fire", "Send last serial string in rapid succession.",
     {3840, 3000, 975, 255}},
    {K::Group, "Frame1", "Custom Serial String", "", {120, 5880, 6615, 670}},
    {K::Button, "ExitCmd", "Exit", "", {6960, 6180, 735, 375}, true, 0, run<&QWidget::close>},
};

const ControlSpec Terminal::kSettingsControls[] = {
    {K::Label, "Label1", "Port:", "", {120, 240, 495, 255}, true},
    // Picks by the operator; the program's own selections call the handler
    // itself (selectPort), so each change runs it exactly once.
    {K::List, "PortCmb", "", "", {720, 240, 645, 315}, false, 0, run<&Terminal::PortCmb_Click>},
    {K::Label, "Label2", "View:", "", {120, 600, 615, 255}, true},
    {K::List, "ViewCmb", "Standard|Mixed|Hex", "Log window view type.", {720, 600, 1200, 315}},
    {K::Check, "IDChk", "Use ID:", "", {120, 960, 1095, 255}, true},
    {K::Text, "IDTxt", "", "ID number of device to control.", {1200, 960, 495, 285}, false, 0,
     run<&Terminal::IDTxt_Change>, unitid::kMaxLength},
};

const ControlSpec Terminal::kCustomControls[] = {
    {K::Text, "CustomTxt", "", "Create custom serial command string.", {120, 240, 5535, 285}},
    {K::Button, "SendCusCmd", "Send", "Send custom command string.", {5760, 240, 735, 285}, true,
     0, run<&Terminal::SendCusCmd_Click>},
};

namespace {
// What the window does when the operator enlarges it: the log takes all the
// room gained, the settings column stays at the right edge, the log's tools
// under the log's lower edge, the device tabs, the custom line and Exit at
// the bottom edge, the custom field taking the width. The panels move whole.
const ControlAnchor kAnchorRows[] = {
    {"RichTextBox1", kAllEdges},
    {"Frame2", kTopRight},
    {"QuickFrm", kTopRight},
    {"ClearCmd", kBottomLeft},
    {"SaveLogCmd", kBottomLeft},
    {"FontCmd", kBottomLeft},
    {"RapidCmd", kBottomLeft},
    {"DeviceTab", kBottomLeft},
    {"DeviceTabPage", kBottomLeft},
    {"Pelvox2Frame", kBottomLeft},
    {"PelvoxHDFrame", kBottomLeft},
    {"WendloFrame", kBottomLeft},
    {"MP3Frame", kBottomLeft},
    {"EightBitFrm", kBottomLeft},
    {"Frame1", Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge},
    {"CustomTxt", Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge},
    {"SendCusCmd", kTopRight},
    {"ExitCmd", Qt::RightEdge | Qt::BottomEdge},
};
} // namespace
// clang-format on

const std::span<const ControlAnchor> Terminal::kAnchors = kAnchorRows;

Terminal::Terminal(MessageSink &messages, QWidget *parent)
    : QWidget(parent), m_messages(messages), RichTextBox1(new LogView(this)),
      m_writer(RichTextBox1->log())
{
    RichTextBox1->setMessages(&m_messages);
    buildControls();
    connectHandlers();
    Form_Load();
}

Terminal::~Terminal() = default;

StringsFrm *Terminal::stringsDialog() const
{
    return m_quick->dialog();
}

AboutBox *Terminal::aboutBox() const
{
    return m_about;
}

void Terminal::buildControls()
{
    setObjectName(QStringLiteral("Terminal"));
    setWindowTitle(kAppTitle);
    // Opened at its smallest; it grows only when the operator enlarges it.
    setMinimumSize(7815 / 15, 6720 / 15);
    resize(minimumSize());
    if (const auto *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    RichTextBox1->setObjectName(QStringLiteral("RichTextBox1"));
    RichTextBox1->setGeometry(kLogPlace.toPixels());

    createControls(this, kWindowControls);
    createControls(control<QGroupBox>(this, "Frame2"), kSettingsControls, this);
    m_quick = new zentrel::QuickStrings(
        control<QGroupBox>(this, "QuickFrm"), m_messages,
        [this](const QString &notation) { sendNotation(notation); },
        [this] {
            return StringsFrm::Host{PortCmb->currentText(), ViewCmb->currentText()};
        },
        [this] { LoadINI(); });
    createControls(control<QGroupBox>(this, "Frame1"), kCustomControls, this);
    PortCmb = control<QComboBox>(this, "PortCmb");
    ViewCmb = control<QComboBox>(this, "ViewCmb");
    IDChk = control<QCheckBox>(this, "IDChk");
    IDTxt = control<FilteredLineEdit>(this, "IDTxt");
    IDTxt->setKeyFilter(unitid::keyAdmitted);
    CustomTxt = control<QLineEdit>(this, "CustomTxt");

    QStringList captions;
    for (const auto &tab : devicetabs::kTabs)
        captions.append(QString::fromLatin1(tab.caption));
    DeviceTab = createTabStrip(this, "DeviceTab", captions, kTabPlace);

    m_panels = {new Pelvox2Panel(*this, this), new PelvoxHDPanel(*this, this),
                new WendloPanel(*this, this), new OrbalitePanel(*this, this),
                m_showCtl = new ShowCtlPanel(*this, this)};
    for (auto *panel : m_panels)
        panel->raise();
    m_showCtl->hide();
    m_anchors = FormAnchors(this, kAnchors);
}

void Terminal::connectHandlers()
{
    connect(&m_link, &SerialLink::received, this, &Terminal::VekComm_OnComm);
    // Whatever moves the tab (a click, the arrow keys, Ctrl+Tab, the wheel)
    // moves the panel with it; a click on the tab already shown runs the
    // handler too, which allows the unit ID again.
    connect(DeviceTab, &QTabBar::currentChanged, this, &Terminal::DeviceTab_Click);
    connect(DeviceTab, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index == DeviceTab->currentIndex())
            DeviceTab_Click(index);
    });
    m_rapid = new RapidFire(*this, control<QPushButton>(this, "RapidCmd"));
    m_logTools = new LogTools(*RichTextBox1, m_writer, m_messages, this);
    // F1 to F5 and Ctrl+Tab belong to the window, whichever control has the
    // focus.
    qApp->installEventFilter(this);
}

void Terminal::Form_Load()
{
    for (std::size_t i = 0; i < m_panels.size(); ++i)
        m_panels[i]->setVisible(i == 0);
    ViewCmb->setCurrentIndex(0);
    m_writer.setNewReceiveLine(true);
    // The ports found now are the list for the whole run; those refused for
    // a reason the operator can mend are named on the list's tooltip.
    const auto round = com::probeRound();
    m_portEntries = portlist::entries(round.openable);
    PortCmb->addItems(m_portEntries);
    PortCmb->setToolTip(com::explain(round.told));
    PortCmb->setCurrentIndex(-1);
    LoadINI();
    RichTextBox1->setFontPointSize(10);
    m_writer.setNewReceiveLine(true);
}

void Terminal::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    QWidget::closeEvent(event);
}

void Terminal::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    qApp->removeEventFilter(this);
    // A save under way gets everything that was pressed for.
    m_logTools->finishSave();
    // The dialogs go with the window; the quick string editor's own reload
    // has nothing left to reload into.
    delete m_quick->dialog();
    delete m_about;
    // A portable copy on write-protected media cannot keep its settings: the
    // operator learns it once, on the way out, and loses nothing else.
    const auto content =
        settings::compose({PortCmb->currentText(), ViewCmb->currentText(), m_quick->strings()});
    if (content && !settings::writeFile(*content))
        m_messages.show(settings::kSaveError);
    m_link.close();
}

void Terminal::SendCommand(QByteArray text)
{
    report(send(std::move(text)));
}

SendOutcome Terminal::send(QByteArray text)
{
    if (PortCmb->currentText().isEmpty())
        return SendOutcome::NoPort;
    if (!m_link.isOpen() && !m_link.open())
        return SendOutcome::LineError;
    const auto framed =
        unitid::address(std::move(text), {m_idAllowed, IDTxt->isEnabled() && IDChk->isEnabled(),
                                          IDChk->isChecked(), IDTxt->text()});
    if (!framed)
        return SendOutcome::NoUnitId;
    if (!m_link.write(*framed))
        return SendOutcome::LineError;
    m_lastCommand = *framed;
    m_idAllowed = true;
    WriteLog(*framed, Direction::Sent);
    return SendOutcome::Sent;
}

void Terminal::report(SendOutcome outcome)
{
    if (outcome == SendOutcome::Sent)
        return;
    const QString why =
        outcome == SendOutcome::LineError ? com::explain({m_link.refusal()}) : QString();
    m_messages.show(sendOutcomeMessage(outcome, PortCmb->currentText()), why);
}

QByteArray Terminal::ConvertCustom(const QString &CustomStr)
{
    const auto result = zentrel::ConvertCustom(CustomStr);
    if (result.refused())
        m_messages.show(result.refusal);
    return result.bytes;
}

void Terminal::SendCusCmd_Click()
{
    sendNotation(CustomTxt->text());
}

void Terminal::sendNotation(const QString &notation)
{
    if (notation.isEmpty())
        return;
    const auto text = ConvertCustom(notation);
    if (text.isEmpty())
        return;
    m_idAllowed = false;
    SendCommand(text);
}

bool Terminal::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType() ||
        static_cast<QWidget *>(watched)->window() != this)
        return false;
    const auto *press = static_cast<QKeyEvent *>(event);
    if (const auto tab =
            devicetabs::step(DeviceTab->currentIndex(), press->key(), press->modifiers())) {
        DeviceTab->setCurrentIndex(*tab);
        return true;
    }
    return m_quick->sendForKey(press->key());
}

void Terminal::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Only the bare background: controls, labels and frames keep their clicks.
    if (childAt(event->position().toPoint())) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    if (!m_about) {
        m_about = new AboutBox(this);
        m_about->setAttribute(Qt::WA_DeleteOnClose);
    }
    bringForward(m_about);
}

void Terminal::resizeEvent(QResizeEvent *event)
{
    m_anchors.follow();
    QWidget::resizeEvent(event);
}

void Terminal::WriteLog(QByteArrayView bytes, Direction direction)
{
    const auto mode = viewModeFromText(ViewCmb->currentText());
    // A view that is none of the three renders nothing, but the line still starts.
    m_writer.write(mode ? bytes : QByteArrayView(), direction, mode.value_or(ViewMode::Standard));
    RichTextBox1->contentChanged();
}

void Terminal::VekComm_OnComm(const QByteArray &bytes)
{
    WriteLog(bytes, Direction::Received);
}

void Terminal::PortCmb_Click()
{
    const QString text = PortCmb->currentText();
    if (text.isEmpty())
        return;
    if (m_link.isOpen())
        m_link.close();
    const int n = text.toInt();
    if (const auto refusal = com::checkPort(n); refusal.refused()) {
        refusePort(text, com::explain({refusal}));
        return;
    }
    const int held = m_link.portNumber();
    // Another port chosen: the wait for the old one's device ends here.
    m_link.close();
    m_link.setPortNumber(n);
    if (!m_link.open()) {
        const QString why = com::explain({m_link.refusal()});
        m_link.setPortNumber(held);
        refusePort(text, why);
    }
}

void Terminal::refusePort(const QString &portText, const QString &why)
{
    m_messages.showMessage(QStringLiteral("COMM port may be in use by another program!"),
                           QStringLiteral("Error opening COM%1!").arg(portText), why);
    if (const auto fallback = portlist::fallbackIndex(m_portEntries, m_link.portNumber(), portText))
        selectPort(*fallback);
}

void Terminal::selectPort(int index)
{
    {
        const QSignalBlocker blocker(PortCmb);
        PortCmb->setCurrentIndex(index);
    }
    PortCmb_Click();
}

void Terminal::IDTxt_Change()
{
    if (!unitid::outOfRange(IDTxt->text()))
        return;
    m_messages.show(QStringLiteral("Invalid Unit ID!"));
    IDTxt->clear();
}

void Terminal::DeviceTab_Click(int index)
{
    if (index < 0)
        return;
    const auto row = devicetabs::rowOf(DeviceTab->tabText(index));
    if (!row)
        return;
    for (std::size_t i = 0; i < m_panels.size(); ++i)
        m_panels[i]->setVisible(i == *row);
    m_idAllowed = devicetabs::kTabs[*row].idAllowed;
    IDTxt->setEnabled(m_idAllowed);
    IDChk->setEnabled(m_idAllowed);
}

void Terminal::LoadINI()
{
    const auto content = settings::readFile();
    // A missing or unreadable file leaves everything as it is.
    if (!content)
        return;
    for (const auto &line : settings::interpret(*content)) {
        const bool sound = line.corrupt.isEmpty();
        if (line.line == settings::kViewLine) {
            ViewCmb->setCurrentIndex(int(line.view));
        } else if (sound && line.line == settings::kPortLine) {
            // Straight to the saved port: opening each port on the way would
            // toggle the control lines of whatever hangs on it.
            if (const auto index = portlist::savedPortIndex(m_portEntries, line.value))
                selectPort(*index);
        } else if (sound) {
            m_quick->setString(line.line - settings::kFirstStringLine, line.value);
        }
        if (!sound)
            m_messages.show(line.corrupt);
    }
}

} // namespace zentrel
