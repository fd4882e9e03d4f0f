#include "tools/quickstrings.h"

#include <QWidget>

namespace zentrel {

namespace {

using K = ControlKind;

} // namespace

// clang-format off
const ControlSpec QuickStrings::kControls[] = {
    {K::Button, "CfgStrCmd", "Configure Strings", "", {120, 240, 1575, 255}, false, 0,
     run<&QuickStrings::CfgStrCmd_Click>},
    {K::Button, "Str1Cmd", "Send String 1", "", {120, 600, 1575, 255}, false, 0,
     run<&QuickStrings::StrCmd_Click, 1>},
    {K::Button, "Str2Cmd", "Send String 2", "", {120, 900, 1575, 255}, false, 0,
     run<&QuickStrings::StrCmd_Click, 2>},
    {K::Button, "Str3Cmd", "Send String 3", "", {120, 1200, 1575, 255}, false, 0,
     run<&QuickStrings::StrCmd_Click, 3>},
    {K::Button, "Str4Cmd", "Send String 4", "", {120, 1500, 1575, 255}, false, 0,
     run<&QuickStrings::StrCmd_Click, 4>},
    {K::Button, "Str5Cmd", "Send String 5", "", {120, 1800, 1575, 255}, false, 0,
     run<&QuickStrings::StrCmd_Click, 5>},
};
// clang-format on

QuickStrings::QuickStrings(QWidget *frame, MessageSink &messages,
                           std::function<void(const QString &)> send,
                           std::function<StringsFrm::Host()> host, std::function<void()> reload)
    : QObject(frame), m_frame(frame), m_messages(messages), m_send(std::move(send)),
      m_host(std::move(host)), m_reload(std::move(reload))
{
    createControls(frame, kControls, this);
}

void QuickStrings::StrCmd_Click(int number)
{
    m_send(m_strings[std::size_t(number - 1)]);
}

bool QuickStrings::sendForKey(int key)
{
    if (key < Qt::Key_F1 || key > Qt::Key_F5)
        return false;
    StrCmd_Click(key - Qt::Key_F1 + 1);
    return true;
}

void QuickStrings::CfgStrCmd_Click()
{
    if (m_dialog) {
        bringForward(m_dialog);
        return;
    }
    // A tool window is not given the focus by every window manager when it
    // maps, so the first showing asks for it like every later one.
    m_dialog = new StringsFrm(m_messages, m_host, m_reload, m_frame->window());
    m_dialog->setAttribute(Qt::WA_DeleteOnClose);
    bringForward(m_dialog);
}

} // namespace zentrel
