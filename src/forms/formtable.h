#pragma once

#include <QRect>
#include <QStringList>
#include <QWidget>

#include <span>

class QTabBar;

namespace zentrel {

// Window layouts are given in twips; 15 twips make one pixel.
struct Twips
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    QRect toPixels() const { return {left / 15, top / 15, width / 15, height / 15}; }
};

enum class ControlKind {
    Button, // QPushButton
    Label,  // QLabel
    List,   // QComboBox, pick-only, nothing chosen at start
    Text,   // FilteredLineEdit
    Check,  // QCheckBox
    Group,  // QGroupBox with a caption
};

// What a control's action runs (a button's click, a list's pick, a field's
// edit, a box's tick): a handler of the form that owns the table.
using Handler = void (*)(QObject *owner);

template <typename> struct MethodClass;
template <typename R, typename C, typename... A> struct MethodClass<R (C::*)(A...)>
{
    using type = C;
};

// The handler that calls Method(args...) on the owner; the row names it as
// run<&Form::Name_Click>.
template <auto Method, auto... Args> void run(QObject *owner)
{
    using Form = typename MethodClass<decltype(Method)>::type;
    Q_ASSERT(dynamic_cast<Form *>(owner));
    (static_cast<Form *>(owner)->*Method)(Args...);
}

// One row of a form's table, the one place a control is described: what it
// is, its name (member and objectName alike), caption (for a list: its items
// joined by '|'), tooltip, place inside its parent, font, and the handler its
// action runs.
struct ControlSpec
{
    ControlKind kind;
    const char *name;
    const char *caption = "";
    const char *tooltip = "";
    Twips place;
    bool bold = false;
    qreal pointSize = 0;       // 0: the window's own size
    Handler handler = nullptr; // nothing to run
    int maxLength = 0;         // text fields only; 0: no limit at all
    bool tight = false;        // lists only: narrow margins where no wider place is free
};

// Builds the rows' controls inside parent and connects each action to its
// handler, which runs on owner (the parent itself when not given).
void createControls(QWidget *parent, std::span<const ControlSpec> rows, QObject *owner = nullptr);

// A strip of tabs over the page they switch, both inside place; the page's
// contents are the caller's. The page is named after the strip, with "Page"
// behind.
QTabBar *createTabStrip(QWidget *parent, const char *name, const QStringList &captions,
                        Twips place);

// The row a control was built from; null for a widget built otherwise. It
// lets a check walk a window's forms without a second list of their rows.
const ControlSpec *specOf(const QWidget *widget);

// The style and font every form table is laid out for; the program applies
// them before it builds a window, and so does a test that measures a form.
void applyFormStyle();

// Shows a tool window on top of the others, with the keyboard focus.
void bringForward(QWidget *window);

// The control the form table created under that name; it must exist, in
// every build: a misspelt name stops the program there, naming it.
template <typename T> T *control(const QWidget *form, const char *name)
{
    auto *found = form->findChild<T *>(QLatin1StringView(name));
    if (!found)
        qFatal("%s has no %s named %s", qPrintable(form->objectName()),
               T::staticMetaObject.className(), name);
    return found;
}

} // namespace zentrel

Q_DECLARE_METATYPE(const zentrel::ControlSpec *)
