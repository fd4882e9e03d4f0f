#include "app/messageboxsink.h"

#include <QApplication>
#include <QMessageBox>

namespace zentrel {

void MessageBoxSink::showMessage(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

} // namespace zentrel
