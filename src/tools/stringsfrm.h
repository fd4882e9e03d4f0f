#pragma once

#include "forms/formtable.h"
#include "terminal/messagesink.h"

#include <QWidget>

#include <array>
#include <functional>

class QLineEdit;

namespace zentrel {

// The quick string editor: five fields read from the settings file when it
// opens, written back by Apply and OK; OK closes it only once they are
// written, so a refused save loses no edit. Closing it, however, makes the
// main window reload the file, which is how edits reach the send buttons.
class StringsFrm : public QWidget
{
    Q_OBJECT

public:
    struct Host
    {
        QString port;
        QString view;
    };

    // `host` tells the main window's port and view at the moment of saving;
    // `unloaded` runs when the dialog closes.
    StringsFrm(MessageSink &messages, std::function<Host()> host, std::function<void()> unloaded,
               QWidget *parent);

    void cmdApply_Click();
    void cmdOK_Click();

    static const ControlSpec kControls[];

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    bool SaveINI();

    MessageSink &m_messages;
    std::function<Host()> m_host;
    std::function<void()> m_unloaded;
    std::array<QLineEdit *, 5> m_fields{};
    bool m_unloadedOnce = false;
};

} // namespace zentrel
