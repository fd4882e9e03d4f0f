#include "app/messageboxsink.h"

#include <QMessageBox>

namespace zentrel {

void MessageBoxSink::showMessage(const QString &text, const QString &title)
{
    showMessageOver(m_parent.data(), text, title);
}

void MessageBoxSink::showMessageOver(QWidget *window, const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, window);
    box.exec();
}

} // namespace zentrel
