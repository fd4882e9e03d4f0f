#include "app/filteredlineedit.h"

#include <QKeyEvent>

namespace zentrel {

FilteredLineEdit::FilteredLineEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, &FilteredLineEdit::keepAdmitted);
}

void FilteredLineEdit::keyPressEvent(QKeyEvent *event)
{
    const bool shortcut = event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Cut) ||
                          event->matches(QKeySequence::Paste) ||
                          event->matches(QKeySequence::SelectAll) ||
                          event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo);
    const QString text = event->text();
    const bool character = !text.isEmpty() && event->key() != Qt::Key_Delete;
    if (m_filter && character && !shortcut && !m_filter(text.at(0).unicode())) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void FilteredLineEdit::keepAdmitted()
{
    if (!m_filter)
        return;
    const QString current = text();
    QString kept;
    int cursor = cursorPosition();
    for (qsizetype i = 0; i < current.size(); ++i) {
        const char16_t code = current.at(i).unicode();
        // Backspace edits; as a character it never belongs in the text.
        if (code != 8 && m_filter(code))
            kept.append(current.at(i));
        else if (i < cursorPosition())
            --cursor;
    }
    if (kept != current) {
        setText(kept.left(maxLength()));
        setCursorPosition(std::min<int>(cursor, int(text().size())));
    }
}

} // namespace zentrel
