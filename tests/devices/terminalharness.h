#pragma once

#include "appdirectory.h"
#include "pseudoterminal.h"
#include "recordingmessages.h"

#include <QByteArray>
#include <QMetaType>
#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>
#include <span>

namespace zentrel {
class Terminal;
}

namespace zentrel::test {

// The main window as the operator meets it: shown and active, its port a
// pseudo-terminal pinned as port 1 and opened from the settings file, its
// messages recorded.
class TerminalHarness
{
public:
    TerminalHarness();
    ~TerminalHarness();

    Terminal &terminal() { return *m_terminal; }
    bool selectTab(const QString &caption);
    QWidget *find(const QString &name) const;

    // "Name=value" chooses a list item or types the value key by key into a
    // field, focusing the control first as a click would; "Name:=value"
    // puts the text into the field directly, past its key filter;
    // "Name~=value" chooses without taking the focus, as the wheel does.
    bool apply(const QString &assignment);
    bool applyAll(const QStringList &assignments);
    bool click(const QString &button);
    // Types each character as a key of its own; "\b", "\r" and "\x1b" are
    // Backspace, Enter and Escape.
    void type(QWidget *field, const QString &keys);

    // Everything the line received since the last call: the window sends a
    // marker of its own and the bytes before it are returned, so a refusal
    // is shown to send nothing without waiting for a silence.
    QByteArray received();

    RecordingMessages messages;

private:
    AppDirectory m_dir;
    PseudoTerminal m_device;
    std::unique_ptr<Terminal> m_terminal;
};

// One control of a panel as the operator should find it. Sizes are twips;
// `caption` holds a list's items joined by "|"; a point size of 0 is the
// window's own.
struct ExpectedControl
{
    const char *name = "";
    const char *kind = ""; // "button", "label", "list" or "text"
    const char *caption = "";
    const char *tooltip = "";
    QRect twips;
    bool bold = false;
    qreal pointSize = 0;
    int maxLength = 0;
};

// Data rows for checkControl, one per control.
void addControlRows(std::span<const ExpectedControl> controls);
void checkControl(const TerminalHarness &harness);

// A button clicked after the setup assignments: the bytes that reach the
// line, or the one message shown and nothing sent.
void addCommandColumns();
void commandRow(const char *name, const char *button, const QStringList &setup,
                const QByteArray &bytes, const char *message = "");
void checkCommand(TerminalHarness &harness, const QString &tab);

// Keys typed into a field after the setup assignments, and the text left.
void addKeyColumns();
void keyRow(const char *name, const char *field, const QStringList &setup, const QString &keys,
            const QString &text);
void checkKeys(TerminalHarness &harness, const QString &tab);

} // namespace zentrel::test

Q_DECLARE_METATYPE(zentrel::test::ExpectedControl)
