#include "app/messageboxsink.h"

#include <QMessageBox>

namespace zentrel {

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
    box.exec();
}

} // namespace zentrel
