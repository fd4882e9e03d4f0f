#pragma once

#include "terminal/logtext.h"
#include "terminal/messagesink.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QTimer>

namespace zentrel {

// The log window: paints only the lines in view, straight from the Latin-1
// log text, in a fixed-pitch font. Appends only mark it dirty; the repaint
// follows at most once a frame. It follows the end of the log unless the
// operator has scrolled away, and offers selection, copy and select-all.
// Between events it moves the oldest text to disk, a block at a time.
class LogView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit LogView(QWidget *parent = nullptr);

    inline static const QString kTooLargeToCopy =
        QStringLiteral("Selection too large to copy; use Save Log.");
    static constexpr qsizetype kLargestCopy = qsizetype(64) << 20;

    LogText &log() { return m_log; }
    // The whole text: for short logs.
    QByteArray text() const { return m_log.text(); }
    // Where the view tells the operator of a copy it refuses and of the disk.
    void setMessages(MessageSink *messages) { m_messages = messages; }

    // Call after the log text grew; cheap, however often.
    void contentChanged();
    void clear();

    qreal fontPointSize() const { return font().pointSizeF(); }
    void setFontPointSize(qreal size);

    // Caret and selection collapse at the end of the text, which comes into view.
    void moveCaretToEnd();
    qsizetype caretPosition() const { return m_caret; }

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

private:
    void refresh();
    void spill();
    void tell(const QString &text) const;
    void showGrowth();
    void noteShown();
    void updateMetrics();
    void updateScrollBars();
    void updateVerticalRange();
    void updateHorizontalRange();
    void scrollToEnd();
    void keepPlace();
    void ensureCaretVisible();
    void moveCaret(qsizetype position, bool keepAnchor);
    qsizetype positionAt(const QPoint &point) const;
    int visibleLines() const;

    LogText m_log;
    QTimer m_repaint;
    QTimer m_spill;
    MessageSink *m_messages = nullptr;
    QElapsedTimer m_widthShown;
    QTimer m_widthLater;
    qsizetype m_anchor = 0;
    qsizetype m_caret = 0;
    int m_lineHeight = 1;
    qreal m_charWidth = 1;
    int m_ascent = 0;
    // The log as last put on screen: what an append can have changed.
    qsizetype m_shownLines = 1;
    qsizetype m_shownLastLength = 0;
    bool m_follow = true;
    int m_place = 0; // the top line the operator scrolled to
    bool m_adjusting = false;
};

} // namespace zentrel
