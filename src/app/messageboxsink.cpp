#include "app/messageboxsink.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace zentrel {

namespace {

// Qt's own Wayland decoration draws a title at 14 pixels.
constexpr int kTitlePixels = 14;

// A box sizes itself by its text, and a window manager cuts a title that
// does not fit between its buttons: "Zent… nker". Room for the title in a
// title bar's face (bold, at least as large as the decorations draw it),
// and on either side, since a decoration may centre it, for the window
// menu's icon and three buttons, each about as wide as the bar is high.
int titleRoom(const QString &title, QFont face)
{
    face.setBold(true);
    if (QFontInfo(face).pixelSize() < kTitlePixels)
        face.setPixelSize(kTitlePixels);
    const QFontMetrics metrics(face);
    const int button = metrics.height() + 4;
    return metrics.horizontalAdvance(title) + 2 * 4 * button;
}

} // namespace

void MessageBoxSink::showMessage(const QString &text, const QString &title,
                                 const QString &informative)
{
    showBox(m_parent.data(), text, title, informative);
}

void MessageBoxSink::showMessageOver(QWidget *window, const QString &text, const QString &title)
{
    showBox(window, text, title, {});
}

void MessageBoxSink::showBox(QWidget *window, const QString &text, const QString &title,
                             const QString &informative)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, window);
    box.setInformativeText(informative);
    // A screen reader announcing the box reads its message and the reason
    // under it, not only its title.
    box.setAccessibleDescription(informative.isEmpty() ? text : text + u'\n' + informative);
    // Last, once the texts have laid the box out: a row as wide as the
    // title needs, which the box takes for its narrowest.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        const QMargins margins = grid->contentsMargins();
        const int width = titleRoom(title, box.font()) - margins.left() - margins.right();
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    box.exec();
}

} // namespace zentrel
