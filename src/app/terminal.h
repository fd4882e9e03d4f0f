#pragma once

#include "forms/formanchors.h"
#include "forms/formtable.h"
#include "serial/seriallink.h"
#include "terminal/logwriter.h"
#include "terminal/sendport.h"
#include "tools/quickstrings.h"
#include "tools/settingsfile.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <span>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabBar;

namespace zentrel {

class AboutBox;
class DevicePanel;
class FilteredLineEdit;
class LogTools;
class LogView;
class RapidFire;
class ShowCtlPanel;

// The main window: log, settings box, tool buttons, device tabs and the
// custom line. It owns the serial link, and every byte sent leaves through
// its SendCommand.
class Terminal : public QWidget, public SendPort
{
    Q_OBJECT

public:
    // Builds the window and runs its load steps; the caller shows it.
    explicit Terminal(MessageSink &messages, QWidget *parent = nullptr);
    ~Terminal() override;

    void SendCommand(QByteArray text) override;
    MessageSink &messages() override { return m_messages; }

    // SendCommand without telling the operator; the caller reports.
    SendOutcome send(QByteArray text) override;
    void report(SendOutcome outcome) override;

    void LoadINI();
    QByteArray ConvertCustom(const QString &CustomStr);
    void WriteLog(QByteArrayView bytes, Direction direction);

    const QByteArray &LastCommand() const override { return m_lastCommand; }
    qint64 pendingOutput() override { return m_link.pendingOutput(); }
    bool IDAllowed() const override { return m_idAllowed; }
    void setIDAllowed(bool allowed) override { m_idAllowed = allowed; }
    const std::array<QString, settings::kQuickStringCount> &QuickStrings() const
    {
        return m_quick->strings();
    }
    SerialLink &VekComm() { return m_link; }
    LogView *log() const { return RichTextBox1; }
    RapidFire *rapidFire() const { return m_rapid; }
    StringsFrm *stringsDialog() const;
    AboutBox *aboutBox() const;

    void StrCmd_Click(int number) { m_quick->StrCmd_Click(number); }
    void CfgStrCmd_Click() { m_quick->CfgStrCmd_Click(); }

    static constexpr Twips kLogPlace{120, 120, 5535, 2895};
    static constexpr Twips kTabPlace{120, 3600, 7575, 2175};
    static const ControlSpec kWindowControls[];
    static const ControlSpec kSettingsControls[];
    static const ControlSpec kCustomControls[];
    static const std::span<const ControlAnchor> kAnchors;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildControls();
    void connectHandlers();
    void Form_Load();
    void Form_Unload();

    void PortCmb_Click();
    void selectPort(int index);
    void refusePort(const QString &portText, const QString &why);
    void VekComm_OnComm(const QByteArray &bytes);
    void IDTxt_Change();
    void DeviceTab_Click(int index);
    void SendCusCmd_Click();
    void sendNotation(const QString &notation);

    MessageSink &m_messages;
    SerialLink m_link;

    LogView *RichTextBox1 = nullptr;
    QComboBox *PortCmb = nullptr;
    QComboBox *ViewCmb = nullptr;
    QCheckBox *IDChk = nullptr;
    FilteredLineEdit *IDTxt = nullptr;
    QLineEdit *CustomTxt = nullptr;
    QTabBar *DeviceTab = nullptr;
    std::array<DevicePanel *, 5> m_panels{};
    ShowCtlPanel *m_showCtl = nullptr;
    RapidFire *m_rapid = nullptr;
    LogTools *m_logTools = nullptr;
    zentrel::QuickStrings *m_quick = nullptr;
    QPointer<AboutBox> m_about;
    FormAnchors m_anchors;

    LogWriter m_writer;
    QStringList m_portEntries;
    QByteArray m_lastCommand;
    bool m_idAllowed = false;
    bool m_unloaded = false;
};

} // namespace zentrel
