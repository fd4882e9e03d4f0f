#pragma once

#include <QAccessibleWidget>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace zentrel {

class LogView;

// What assistive technology reads of the log: the text the view paints and
// Save Log writes, one character a byte, lines joined by CR LF, each answer
// read as a range from wherever the text lies, never the whole log for a
// question about a part of it. AT-SPI counts in 32 bits, so a log past
// 2 GiB is offered from an origin that moves on by 1 GiB at a time; Save
// Log keeps all of it.
class LogAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    // The most characters one answer or one announcement carries.
    static constexpr qsizetype kLargestAnswer = qsizetype(1) << 20;
    static constexpr qsizetype kOriginStep = qsizetype(1) << 30;

    explicit LogAccessible(LogView *view);

    static QAccessibleInterface *create(const QString &className, QObject *object);
    // Where offset 0 stands in a log of that size.
    static qsizetype origin(qsizetype size);

    using QAccessibleWidget::text;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int *startOffset, int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int *startOffset, int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

private:
    struct Span
    {
        qsizetype from = 0;
        qsizetype to = 0;
    };

    LogView *view() const;
    qsizetype base() const;
    qsizetype toPosition(int offset) const;
    int toOffset(qsizetype position) const;
    // The piece of text of that kind around a position, in positions.
    Span spanAt(qsizetype position, QAccessible::TextBoundaryType boundary) const;
    QString answer(Span span, int *startOffset, int *endOffset) const;
    QString read(Span span) const;
};

// Tells assistive technology what the view's log gained and lost: text that
// arrives as one insertion at the end, gathered so that a flood sends a few
// announcements a second rather than one a piece, and a cleared log as the
// removal of its text. Costs nothing while no assistive technology listens.
class LogAnnouncer : public QObject
{
    Q_OBJECT

public:
    static constexpr int kInterval = 250; // ms between announcements, at least

    // Follows the view's log.
    explicit LogAnnouncer(LogView *view);

private:
    void grew();
    void cleared(qsizetype length);
    void announce();

    LogView *m_view;
    QTimer m_later;
    QElapsedTimer m_last;
    qsizetype m_announced = 0; // the size of the log when last announced
    qsizetype m_origin = 0;
};

} // namespace zentrel
