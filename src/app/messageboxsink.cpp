#include "app/messageboxsink.h"

#include <QMessageBox>

namespace zentrel {

void MessageBoxSink::showMessage(const QString &text, const QString &title,
                                 const QString &informative)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, m_parent.data());
    box.setInformativeText(informative);
    box.exec();
}

} // namespace zentrel
