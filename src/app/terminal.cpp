#include "app/terminal.h"

#include "app/aboutbox.h"
#include "app/filteredlineedit.h"
#include "app/formtable.h"
#include "devices/orbalitepanel.h"
#include "devices/pelvox2panel.h"
#include "devices/pelvoxhdpanel.h"
#include "devices/wendlopanel.h"
#include "serial/com.h"
#include "showctl/showctlpanel.h"
#include "terminal/logview.h"
#include "terminal/unitid.h"
#include "tools/customnotation.h"
#include "tools/logtools.h"
#include "tools/rapidfire.h"
#include "tools/stringsfrm.h"

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

constexpr Twips kLogPlace{120, 120, 5535, 2895};
constexpr Twips kTabPlace{120, 3600, 7575, 2175};
constexpr int kHighestTarget = 121;

using K = ControlKind;

// The window's own controls, outside the group frames.
constexpr ControlSpec kWindowControls[] = {
    {K::Group, "Frame2", "Settings", "", {5760, 120, 1935, 1335}},
    {K::Group, "QuickFrm", "Quick Strings", "", {5760, 1560, 1935, 2175}},
    {K::Button, "ClearCmd", "Clear Log", "Clear all text from log window.", {120, 3000, 855, 255}},
    {K::Button, "SaveLogCmd", "Save Log", "Save log to file.", {1080, 3000, 855, 255}},
    {K::Button, "FontCmd", "Font Size", "Change log window font size.", {2040, 3000, 855, 255}},
    {K::Button,
     "RapidCmd",
     "Rapid Fire",
     "Send last serial string in rapid succession.",
     {3840, 3000, 975, 255}},
    {K::Group, "Frame1", "Custom Serial String", "", {120, 5880, 6615, 670}},
    {K::Button, "ExitCmd", "Exit", "", {6960, 6180, 735, 375}, true},
};

constexpr ControlSpec kSettingsControls[] = {
    {K::Label, "Label1", "Port:", "", {120, 240, 495, 255}, true},
    {K::List, "PortCmb", "", "", {720, 240, 615, 315}},
    {K::Label, "Label2", "View:", "", {120, 600, 615, 255}, true},
    {K::List, "ViewCmb", "Standard|Mixed|Hex", "Log window view type.", {720, 600, 1125, 315}},
    {K::Check, "IDChk", "Use ID:", "", {120, 960, 1095, 255}, true},
    {K::Text,
     "IDTxt",
     "",
     "ID number of device to control.",
     {1200, 960, 495, 285},
     false,
     0,
     unitid::kMaxLength},
};

constexpr ControlSpec kQuickControls[] = {
    {K::Button, "CfgStrCmd", "Configure Strings", "", {120, 240, 1575, 255}},
    {K::Button, "Str1Cmd", "Send String 1", "", {120, 600, 1575, 255}},
    {K::Button, "Str2Cmd", "Send String 2", "", {120, 900, 1575, 255}},
    {K::Button, "Str3Cmd", "Send String 3", "", {120, 1200, 1575, 255}},
    {K::Button, "Str4Cmd", "Send String 4", "", {120, 1500, 1575, 255}},
    {K::Button, "Str5Cmd", "Send String 5", "", {120, 1800, 1575, 255}},
};

constexpr ControlSpec kCustomControls[] = {
    {K::Text, "CustomTxt", "", "Create custom serial command string.", {120, 240, 5535, 285}},
    {K::Button, "SendCusCmd", "Send", "Send custom command string.", {5760, 240, 735, 285}, true},
};

struct TabRow
{
    const char *caption;
    bool idAllowed;
};

// Tab captions in order; the panel at the same index is the one each shows.
constexpr TabRow kTabs[] = {
    {"Pelvox2", true},   {"Pelvox/HD", false}, {"8Wendlo", false},
    {"Orbalite", false}, {" 8-Bit", false},
};

} // namespace

Terminal::Terminal(MessageSink &messages, QWidget *parent)
    : QWidget(parent), m_messages(messages), RichTextBox1(new LogView(this)),
      m_writer(RichTextBox1->log())
{
    buildControls();
    connectHandlers();
    Form_Load();
}

Terminal::~Terminal() = default;

StringsFrm *Terminal::stringsDialog() const
{
    return m_strings;
}

AboutBox *Terminal::aboutBox() const
{
    return m_about;
}

void Terminal::buildControls()
{
    setObjectName(QStringLiteral("Terminal"));
    setWindowTitle(kAppTitle);
    setFixedSize(7815 / 15, 6720 / 15);
    if (const auto *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    RichTextBox1->setObjectName(QStringLiteral("RichTextBox1"));
    RichTextBox1->setGeometry(kLogPlace.toPixels());

    createControls(this, kWindowControls);
    createControls(control<QGroupBox>(this, "Frame2"), kSettingsControls);
    createControls(control<QGroupBox>(this, "QuickFrm"), kQuickControls);
    createControls(control<QGroupBox>(this, "Frame1"), kCustomControls);
    PortCmb = control<QComboBox>(this, "PortCmb");
    ViewCmb = control<QComboBox>(this, "ViewCmb");
    IDChk = control<QCheckBox>(this, "IDChk");
    IDTxt = control<FilteredLineEdit>(this, "IDTxt");
    IDTxt->setKeyFilter(unitid::keyAdmitted);
    CustomTxt = control<QLineEdit>(this, "CustomTxt");

    // The tab strip: its tabs on top, the page the panel frames lie in below.
    const QRect tabArea = kTabPlace.toPixels();
    DeviceTab = new QTabBar(this);
    DeviceTab->setObjectName(QStringLiteral("DeviceTab"));
    DeviceTab->setDrawBase(false);
    DeviceTab->setExpanding(false);
    for (const auto &tab : kTabs)
        DeviceTab->addTab(QString::fromLatin1(tab.caption));
    const int tabHeight = DeviceTab->sizeHint().height();
    DeviceTab->setGeometry(tabArea.left(), tabArea.top(), tabArea.width(), tabHeight);
    auto *page = new QFrame(this);
    page->setFrameShape(QFrame::StyledPanel);
    page->setGeometry(tabArea.adjusted(0, tabHeight - 1, 0, 0));
    DeviceTab->raise();

    m_panels = {new Pelvox2Panel(*this, this), new PelvoxHDPanel(*this, this),
                new WendloPanel(*this, this), new OrbalitePanel(*this, this),
                m_showCtl = new ShowCtlPanel(*this, this)};
    for (auto *panel : m_panels)
        panel->raise();
    m_showCtl->hide();
}

void Terminal::connectHandlers()
{
    connect(&m_link, &SerialLink::received, this, &Terminal::VekComm_OnComm);
    // Picks by the operator; the program's own selections call the handler
    // itself (selectPort), so each change runs it exactly once.
    connect(PortCmb, &QComboBox::activated, this, &Terminal::PortCmb_Click);
    connect(IDTxt, &QLineEdit::textChanged, this, &Terminal::IDTxt_Change);
    connect(DeviceTab, &QTabBar::tabBarClicked, this, &Terminal::DeviceTab_Click);
    connect(control<QPushButton>(this, "SendCusCmd"), &QPushButton::clicked, this,
            &Terminal::SendCusCmd_Click);
    connect(control<QPushButton>(this, "ExitCmd"), &QPushButton::clicked, this, &QWidget::close);

    for (int k = 1; k <= settings::kQuickStringCount; ++k) {
        const auto name = QStringLiteral("Str%1Cmd").arg(k);
        connect(findChild<QPushButton *>(name), &QPushButton::clicked, this,
                [this, k] { StrCmd_Click(k); });
    }
    connect(control<QPushButton>(this, "CfgStrCmd"), &QPushButton::clicked, this,
            &Terminal::CfgStrCmd_Click);
    m_rapid = new RapidFire(*this, control<QPushButton>(this, "RapidCmd"));
    m_logTools = new LogTools(*RichTextBox1, m_writer, m_messages, this);
    connect(control<QPushButton>(this, "ClearCmd"), &QPushButton::clicked, m_logTools,
            &LogTools::ClearCmd_Click);
    connect(control<QPushButton>(this, "SaveLogCmd"), &QPushButton::clicked, m_logTools,
            &LogTools::SaveLogCmd_Click);
    connect(control<QPushButton>(this, "FontCmd"), &QPushButton::clicked, m_logTools,
            &LogTools::FontCmd_Click);
    // F1 to F5 belong to the window, whichever control has the focus.
    qApp->installEventFilter(this);
}

void Terminal::Form_Load()
{
    for (std::size_t i = 0; i < m_panels.size(); ++i)
        m_panels[i]->setVisible(i == 0);
    ViewCmb->setCurrentIndex(0);
    m_writer.setNewReceiveLine(true);
    for (const int n : com::ProbePorts())
        PortCmb->addItem(QString::number(n));
    PortCmb->setCurrentIndex(-1);
    for (int n = 0; n <= kHighestTarget; ++n)
        m_showCtl->TargetAdrCmb->addItem(QString::number(n));
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
    // The dialogs go with the window; the quick string editor's own reload
    // has nothing left to reload into.
    delete m_strings;
    delete m_about;
    // A portable copy on write-protected media cannot keep its settings: the
    // operator learns it once, on the way out, and loses nothing else.
    const auto content =
        settings::compose({PortCmb->currentText(), ViewCmb->currentText(), m_quickStrings});
    if (content && !settings::writeFile(*content))
        m_messages.show(settings::kSaveError);
    m_link.close();
}

// --- sending ---------------------------------------------------------------

void Terminal::SendCommand(QByteArray text)
{
    report(send(std::move(text)));
}

Terminal::SendOutcome Terminal::send(QByteArray text)
{
    if (PortCmb->currentText().isEmpty())
        return SendOutcome::NoPort;
    if (!m_link.isOpen() && !m_link.open())
        return SendOutcome::LineError;
    if (m_idAllowed && IDTxt->isEnabled() && IDChk->isEnabled() && IDChk->isChecked()) {
        if (IDTxt->text().isEmpty())
            return SendOutcome::NoUnitId;
        text.prepend(IDTxt->text().toLatin1() + '@');
    }
    if (!m_link.write(text))
        return SendOutcome::LineError;
    m_lastCommand = text;
    m_idAllowed = true;
    WriteLog(text, Direction::Sent);
    return SendOutcome::Sent;
}

void Terminal::report(SendOutcome outcome)
{
    switch (outcome) {
    case SendOutcome::Sent:
        break;
    case SendOutcome::NoPort:
        m_messages.show(QStringLiteral("Select COMM port!"));
        break;
    case SendOutcome::NoUnitId:
        m_messages.show(QStringLiteral("Select unit ID!"));
        break;
    case SendOutcome::LineError:
        m_messages.show(QStringLiteral("Error on COM%1, port may be in use already!")
                            .arg(PortCmb->currentText()));
        break;
    }
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
    if (CustomTxt->text().isEmpty())
        return;
    const auto text = ConvertCustom(CustomTxt->text());
    if (text.isEmpty())
        return;
    m_idAllowed = false;
    SendCommand(text);
}

// --- quick strings and the About box --------------------------------------------

void Terminal::StrCmd_Click(int number)
{
    const QString &quick = m_quickStrings[std::size_t(number - 1)];
    if (quick.isEmpty())
        return;
    const auto text = ConvertCustom(quick);
    if (text.isEmpty())
        return;
    m_idAllowed = false;
    SendCommand(text);
}

void Terminal::CfgStrCmd_Click()
{
    if (m_strings) {
        m_strings->raise();
        m_strings->activateWindow();
        return;
    }
    m_strings = new StringsFrm(
        m_messages,
        [this] {
            return StringsFrm::Host{PortCmb->currentText(), ViewCmb->currentText()};
        },
        [this] { LoadINI(); }, this);
    m_strings->setAttribute(Qt::WA_DeleteOnClose);
    m_strings->show();
}

bool Terminal::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType() ||
        static_cast<QWidget *>(watched)->window() != this)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key < Qt::Key_F1 || key > Qt::Key_F5)
        return false;
    StrCmd_Click(key - Qt::Key_F1 + 1);
    return true;
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
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

// --- the log ----------------------------------------------------------------

void Terminal::WriteLog(QByteArrayView data, Direction direction)
{
    const auto mode = viewModeFromText(ViewCmb->currentText());
    // A view that is none of the three renders nothing, but the line still starts.
    m_writer.write(mode ? data : QByteArrayView(), direction, mode.value_or(ViewMode::Standard));
    RichTextBox1->contentChanged();
}

void Terminal::VekComm_OnComm(const QByteArray &bytes)
{
    WriteLog(bytes, Direction::Received);
}

// --- port selection -----------------------------------------------------------

void Terminal::PortCmb_Click()
{
    const QString text = PortCmb->currentText();
    if (text.isEmpty())
        return;
    if (m_link.isOpen())
        m_link.close();
    const int n = text.toInt();
    if (!com::ProbePort(n)) {
        refusePort(text);
        return;
    }
    const int held = m_link.portNumber();
    m_link.setPortNumber(n);
    if (!m_link.open()) {
        m_link.setPortNumber(held);
        refusePort(text);
    }
}

void Terminal::refusePort(const QString &portText)
{
    m_messages.showMessage(QStringLiteral("COMM port may be in use by another program!"),
                           QStringLiteral("Error opening COM%1!").arg(portText));
    const QString held = QString::number(m_link.portNumber());
    // When the port refused is the one still held, there is nothing to fall
    // back to; trying it again would only repeat the message.
    if (held == portText)
        return;
    selectPort(PortCmb->findText(held));
}

void Terminal::selectPort(int index)
{
    {
        const QSignalBlocker blocker(PortCmb);
        PortCmb->setCurrentIndex(index);
    }
    PortCmb_Click();
}

// --- unit ID and tabs -----------------------------------------------------------

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
    const QString caption = DeviceTab->tabText(index);
    for (std::size_t row = 0; row < std::size(kTabs); ++row) {
        if (caption != QLatin1StringView(kTabs[row].caption))
            continue;
        for (std::size_t i = 0; i < m_panels.size(); ++i)
            m_panels[i]->setVisible(i == row);
        m_idAllowed = kTabs[row].idAllowed;
        IDTxt->setEnabled(kTabs[row].idAllowed);
        IDChk->setEnabled(kTabs[row].idAllowed);
        return;
    }
}

// --- settings file ----------------------------------------------------------------

void Terminal::LoadINI()
{
    const auto content = settings::readFile();
    // A missing or unreadable file leaves everything as it is.
    if (!content)
        return;
    const auto lines = settings::parse(*content);
    for (int i = 0; i < lines.size(); ++i) {
        const auto &line = lines.at(i);
        if (i == settings::kViewLine) {
            applyView(line);
        } else if (!line.prefixOk) {
            m_messages.show(settings::corruptLineMessage(i));
        } else if (i == settings::kPortLine) {
            if (!line.value.isEmpty() && line.value.at(0).isDigit() &&
                line.value.at(0).unicode() < 128)
                selectSavedPort(line.value);
        } else {
            m_quickStrings[std::size_t(i - settings::kFirstStringLine)] = line.value;
        }
    }
}

void Terminal::applyView(const settings::Line &line)
{
    const auto index = line.prefixOk ? ViewCmb->findText(line.value, Qt::MatchExactly) : -1;
    ViewCmb->setCurrentIndex(index < 0 ? 0 : index);
    if (index < 0)
        m_messages.show(settings::corruptLineMessage(settings::kViewLine));
}

void Terminal::selectSavedPort(const QString &value)
{
    if (PortCmb->count() == 0)
        return;
    // Straight to the saved port: opening each port on the way would toggle
    // the control lines of whatever hangs on it.
    const int index = PortCmb->findText(value, Qt::MatchExactly);
    selectPort(index < 0 ? PortCmb->count() - 1 : index);
}

} // namespace zentrel
