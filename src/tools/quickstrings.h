#pragma once

#include "forms/formtable.h"
#include "terminal/messagesink.h"
#include "tools/settingsfile.h"
#include "tools/stringsfrm.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <functional>

class QWidget;

namespace zentrel {

// The Quick Strings frame: five strings of custom notation, a button to send
// each, and Configure Strings, which opens their editor.
class QuickStrings : public QObject
{
    Q_OBJECT

public:
    using Strings = std::array<QString, settings::kQuickStringCount>;

    // Builds the buttons inside frame. `send` takes a string's notation;
    // `host` and `reload` are handed to the editor (see StringsFrm).
    QuickStrings(QWidget *frame, MessageSink &messages, std::function<void(const QString &)> send,
                 std::function<StringsFrm::Host()> host, std::function<void()> reload);

    const Strings &strings() const { return m_strings; }
    void setString(int index, const QString &string) { m_strings[std::size_t(index)] = string; }
    StringsFrm *dialog() const { return m_dialog; }

    // Number 1 to 5, as on the buttons and the keys F1 to F5.
    void StrCmd_Click(int number);
    void CfgStrCmd_Click();
    // F1 to F5 send strings 1 to 5, whatever the modifiers; false for any
    // other key.
    bool sendForKey(int key);

    static const ControlSpec kControls[];

private:
    QWidget *m_frame;
    MessageSink &m_messages;
    std::function<void(const QString &)> m_send;
    std::function<StringsFrm::Host()> m_host;
    std::function<void()> m_reload;
    Strings m_strings;
    QPointer<StringsFrm> m_dialog;
};

} // namespace zentrel
