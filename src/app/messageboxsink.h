#pragma once

#include "terminal/messagesink.h"

#include <QPointer>
#include <QWidget>

namespace zentrel {

// Operator messages as modal boxes: exclamation icon, one OK button. Each box
// is parented to the window the program names, never to whatever happens to
// be active: on Wayland nothing is, and a splash screen does not count.
class MessageBoxSink : public MessageSink
{
public:
    void setParentWindow(QWidget *window) { m_parent = window; }
    void showMessage(const QString &text, const QString &title,
                     const QString &informative) override;
    void showMessageOver(QWidget *window, const QString &text, const QString &title) override;

private:
    static void showBox(QWidget *window, const QString &text, const QString &title,
                        const QString &informative);

    QPointer<QWidget> m_parent;
};

} // namespace zentrel
