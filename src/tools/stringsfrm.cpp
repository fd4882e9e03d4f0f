#include "tools/stringsfrm.h"

#include "tools/settingsfile.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>

namespace zentrel {

namespace {

using K = ControlKind;

constexpr int kWidth = 6135 / 15;
constexpr int kHeight = 2835 / 15;

} // namespace

const ControlSpec StringsFrm::kControls[] = {
    {K::Label, "Label1", "String 1:", "", {120, 180, 900, 255}},
    {K::Text, "Str1Txt", "", "", {1080, 120, 4935, 315}},
    {K::Label, "Label2", "String 2:", "", {120, 600, 900, 255}},
    {K::Text, "Str2Txt", "", "", {1080, 540, 4935, 315}},
    {K::Label, "Label3", "String 3:", "", {120, 1020, 900, 255}},
    {K::Text, "Str3Txt", "", "", {1080, 960, 4935, 315}},
    {K::Label, "Label4", "String 4:", "", {120, 1440, 900, 255}},
    {K::Text, "Str4Txt", "", "", {1080, 1380, 4935, 315}},
    {K::Label, "Label5", "String 5:", "", {120, 1860, 900, 255}},
    {K::Text, "Str5Txt", "", "", {1080, 1800, 4935, 315}},
    {K::Button,
     "cmdOK",
     "OK",
     "",
     {2520, 2340, 1095, 375},
     false,
     0,
     run<&StringsFrm::cmdOK_Click>},
    {K::Button, "cmdCancel", "Cancel", "", {3720, 2340, 1095, 375}, false, 0, run<&QWidget::close>},
    {K::Button,
     "cmdApply",
     "Apply",
     "",
     {4920, 2340, 1095, 375},
     false,
     0,
     run<&StringsFrm::cmdApply_Click>},
};

StringsFrm::StringsFrm(MessageSink &messages, std::function<Host()> host,
                       std::function<void()> unloaded, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      m_messages(messages), m_host(std::move(host)), m_unloaded(std::move(unloaded))
{
    setObjectName(QStringLiteral("StringsFrm"));
    setWindowTitle(QStringLiteral("Quick String Configuration"));
    setAccessibleRole(this, QAccessible::Dialog);
    setFixedSize(kWidth, kHeight);
    createControls(this, kControls);
    for (int k = 0; k < 5; ++k) {
        m_fields[size_t(k)] =
            control<QLineEdit>(this, QStringLiteral("Str%1Txt").arg(k + 1).toLatin1().constData());
    }
    control<QPushButton>(this, "cmdCancel")->setShortcut(Qt::Key_Escape);
    if (parent)
        move(parent->geometry().center() - rect().center());
    m_fields[0]->setFocus();
    Form_Load();
}

void StringsFrm::Form_Load()
{
    const auto content = settings::readFile();
    const auto lines = content ? settings::parse(*content) : QList<settings::Line>();
    for (int line = settings::kFirstStringLine; line < lines.size(); ++line) {
        if (lines.at(line).prefixOk)
            m_fields[size_t(line - settings::kFirstStringLine)]->setText(lines.at(line).value);
    }
    // The dialog is not on screen yet, so this one goes over the main window.
    if (lines.size() < settings::kLineCount)
        m_messages.show(settings::kReadError);
}

bool StringsFrm::SaveINI()
{
    const Host host = m_host();
    settings::Values values{host.port, host.view, {}};
    for (int k = 0; k < 5; ++k)
        values.strings[size_t(k)] = m_fields[size_t(k)]->text();
    // A character the 8-bit file cannot hold is the operator's to mend, so it
    // is named before anything is written.
    if (const auto refusal = settings::unsavableCharacter(values)) {
        m_messages.showOver(this, *refusal);
        return false;
    }
    const auto content = settings::compose(values);
    // The file is replaced whole or not at all, so a failure leaves it as it was.
    if (content && settings::writeFile(*content))
        return true;
    m_messages.showOver(this, settings::kSaveError);
    return false;
}

void StringsFrm::cmdApply_Click()
{
    SaveINI();
}

void StringsFrm::cmdOK_Click()
{
    // Closing now would reload the file over the edits the save just lost.
    if (SaveINI())
        close();
}

void StringsFrm::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (m_unloadedOnce)
        return;
    m_unloadedOnce = true;
    m_unloaded();
}

} // namespace zentrel
