#include "app/messageboxsink.h"

#include <QMessageBox>

namespace zentrel {

void MessageBoxSink::showMessage(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, m_parent.data());
    box.exec();
}

} // namespace zentrel
