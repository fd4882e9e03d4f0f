#include "forms/filteredlineedit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

namespace zentrel {

FilteredLineEdit::FilteredLineEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, &FilteredLineEdit::keepAdmitted);
    // Dropped text would bypass the filter before the length limit cuts it.
    setAcceptDrops(false);
}

QString FilteredLineEdit::admittedPart(const QString &text) const
{
    QString kept;
    for (const QChar c : text) {
        // Backspace edits; as a character it never belongs in the text.
        if (c.unicode() != 8 && admits(c.unicode()))
            kept.append(c);
    }
    return kept;
}

void FilteredLineEdit::pasteFiltered()
{
    if (isReadOnly())
        return;
    // Filter first, so the field's length limit counts only what is kept.
    insert(admittedPart(QApplication::clipboard()->text()));
}

void FilteredLineEdit::keyPressEvent(QKeyEvent *event)
{
    const bool shortcut = event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Cut) ||
                          event->matches(QKeySequence::Paste) ||
                          event->matches(QKeySequence::SelectAll) ||
                          event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo);
    const QString text = event->text();
    const bool character = !text.isEmpty() && event->key() != Qt::Key_Delete;
    if (m_filter && event->matches(QKeySequence::Paste)) {
        pasteFiltered();
        event->accept();
        return;
    }
    if (m_filter && character && !shortcut && !m_filter(text.at(0).unicode())) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void FilteredLineEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    if (m_filter) {
        for (QAction *action : menu->actions()) {
            if (action->objectName() == QLatin1String("edit-paste")) {
                action->disconnect();
                connect(action, &QAction::triggered, this, &FilteredLineEdit::pasteFiltered);
            }
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void FilteredLineEdit::keepAdmitted()
{
    if (!m_filter)
        return;
    const QString current = text();
    const QString kept = admittedPart(current);
    if (kept != current) {
        const int cursor = cursorPosition() - int(current.size() - kept.size());
        setText(kept);
        setCursorPosition(std::clamp(cursor, 0, int(kept.size())));
    }
}

} // namespace zentrel
