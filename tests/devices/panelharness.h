#pragma once

#include "terminalharness.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <memory>
#include <utility>

class QWidget;

namespace zentrel {
class Terminal;
}

namespace zentrel::test {

// The main window as the operator meets it, shown and active, driven control
// by control from assignment texts.
class PanelHarness
{
public:
    PanelHarness();
    ~PanelHarness();

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

private:
    TerminalHarness m_base;

public:
    RecordingMessages &messages;

private:
    std::unique_ptr<Terminal> &m_terminal;
};

// A button clicked after the setup assignments: the bytes that reach the
// line, or the one message shown and nothing sent.
void addCommandColumns();
void commandRow(const char *name, const char *button, const QStringList &setup,
                const QByteArray &bytes, const char *message = "");
void checkCommand(PanelHarness &harness, const QString &tab);
// A list-driven button: refused with nothing chosen, then each item's code.
void listRows(const char *button, const char *list, const char *message,
              std::initializer_list<std::pair<const char *, const char *>> items);

} // namespace zentrel::test
