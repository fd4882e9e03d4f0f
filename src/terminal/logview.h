#pragma once

#include "terminal/columnbar.h"
#include "terminal/logmodel.h"
#include "terminal/messagesink.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QTimer>

namespace zentrel {

class LogAnnouncer;

// The log window: paints only the lines in view, straight from the Latin-1
// log text, in a fixed-pitch font. Growth of the log only marks it dirty;
// the repaint follows at most once a frame. It follows the end of the log,
// down and sideways along the last line, unless the operator has scrolled
// away, and offers selection, copy and select-all.
class LogView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit LogView(const LogModel &model, QWidget *parent = nullptr);

    inline static const QString kTooLargeToCopy =
        QStringLiteral("Selection too large to copy; use Save Log.");
    static constexpr qsizetype kLargestCopy = qsizetype(64) << 20;

    const LogModel &model() const { return m_model; }
    // The whole text: for short logs.
    QByteArray text() const { return m_model.text().text(); }
    // Where the view tells the operator of a copy it refuses.
    void setMessages(MessageSink *messages) { m_messages = messages; }

    qreal fontPointSize() const { return font().pointSizeF(); }
    void setFontPointSize(qreal size);

    // Caret and selection collapse at the end of the text, which comes into view.
    void moveCaretToEnd();
    qsizetype caretPosition() const { return m_caret; }
    // Where the selection started; the caret is its other end.
    qsizetype anchorPosition() const { return m_anchor; }
    // Selects from anchor to caret (nothing when they are one), the caret in view.
    void select(qsizetype anchor, qsizetype caret);
    // The leftmost column in view, and how many columns the view shows.
    qsizetype firstColumn() const { return m_column; }
    qsizetype visibleColumns() const;

    // Where a character stands in the viewport, and which one stands at a point of it.
    QRect characterRect(qsizetype position) const;
    qsizetype positionAt(const QPoint &point) const;
    // Scrolls the least that brings the position into view.
    void ensureVisible(qsizetype position);

    QString selectedText() const;
    void selectAll();
    void copy() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    const LogText &log() const { return m_model.text(); }
    void cleared();
    void refresh();
    void tell(const QString &text) const;
    void showGrowth();
    void noteShown();
    void updateMetrics();
    void updateScrollBars();
    void updateVerticalRange();
    void updateHorizontalRange();
    void scrollToEnd();
    void keepPlace();
    // The column that shows the end of the last line, and the furthest any
    // line needs.
    qsizetype followColumn() const;
    qsizetype lastColumn() const;
    // Shows the lines from that column on; true when it moved.
    bool setColumn(qsizetype column);
    void moveCaret(qsizetype position, bool keepAnchor);
    // Tells assistive technology where the caret and the selection went.
    void caretMoved();
    int visibleLines() const;

    const LogModel &m_model;
    LogAnnouncer *m_announcer;
    QTimer m_repaint;
    MessageSink *m_messages = nullptr;
    QElapsedTimer m_widthShown;
    QTimer m_widthLater;
    qsizetype m_anchor = 0;
    qsizetype m_caret = 0;
    qsizetype m_column = 0;
    // The horizontal bar as last set up; it may lag the log by a moment.
    ColumnBar m_bar;
    int m_lineHeight = 1;
    qreal m_charWidth = 1;
    int m_ascent = 0;
    // The log as last put on screen: what an append can have changed.
    qsizetype m_shownLines = 1;
    qsizetype m_shownLastLength = 0;
    bool m_follow = true;
    // Sideways too, while following the end.
    bool m_followSideways = true;
    int m_place = 0; // the top line the operator scrolled to
    bool m_adjusting = false;
};

} // namespace zentrel
