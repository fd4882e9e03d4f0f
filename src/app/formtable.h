#pragma once

#include <QRect>
#include <QWidget>

#include <span>

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

// One row of a form's table: what the control is, its name (member and
// objectName alike), caption (for a list: its items joined by '|'), tooltip,
// place inside its parent and font.
struct ControlSpec
{
    ControlKind kind;
    const char *name;
    const char *caption = "";
    const char *tooltip = "";
    Twips place;
    bool bold = false;
    qreal pointSize = 0; // 0: the window's own size
    int maxLength = 0;   // text fields only; 0: no limit at all
};

QWidget *createControl(QWidget *parent, const ControlSpec &row);
void createControls(QWidget *parent, std::span<const ControlSpec> rows);

// The control the form table created under that name; it must exist.
template <typename T> T *control(const QWidget *form, const char *name)
{
    auto *found = form->findChild<T *>(QLatin1StringView(name));
    Q_ASSERT_X(found, "control", name);
    return found;
}

} // namespace zentrel
