#pragma once

#include "terminalharness.h"

namespace zentrel::test {

// The main window as the operator meets it, shown and active, driven control
// by control from assignment texts.
class PanelHarness : public TerminalHarness
{
public:
    PanelHarness();

    bool selectTab(const QString &caption);
    QWidget *find(const QString &name) const { return window->findChild<QWidget *>(name); }

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
};

// One panel's test: a fresh window for every row of `commands`, each row a
// button clicked after its setup assignments, with the bytes that reach the
// line, or the one message shown and nothing sent.
class PanelTest : public QObject
{
    Q_OBJECT

public:
    explicit PanelTest(const char *tab) : m_tab(QString::fromLatin1(tab)) {}

protected:
    std::unique_ptr<PanelHarness> m_harness;

private Q_SLOTS:
    void init() { m_harness = std::make_unique<PanelHarness>(); }
    void cleanup() { m_harness.reset(); }
    void commands();

private:
    QString m_tab;
};

void addCommandColumns();
void commandRow(const char *name, const char *button, const QStringList &setup,
                const QByteArray &bytes, const char *message = "");
// Buttons that always send the same code, as "Button=code|Button=code".
void fixedRows(const char *buttons);
// A list-driven button: refused with nothing chosen, then each of the
// "item=code|item=code" items chosen.
void listRows(const char *button, const char *list, const char *message, const char *items);

} // namespace zentrel::test
