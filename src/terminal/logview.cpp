#include "terminal/logview.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <limits>

namespace zentrel {

namespace {
constexpr int kMargin = 3;
constexpr int kFrameInterval = 16;  // ms, about one screen frame
constexpr int kWidthInterval = 500; // ms between moves of the horizontal range
constexpr int kWaitingLook = 50;    // ms between looks at blocks on their way to disk
// Shown in place of lines whose text on disk did not read back intact.
constexpr QLatin1StringView kUnreadable("[damaged log text]");
} // namespace

LogView::LogView(QWidget *parent) : QAbstractScrollArea(parent)
{
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setPointSizeF(10);
    setFont(fixed);
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);

    m_repaint.setSingleShot(true);
    m_repaint.setInterval(kFrameInterval);
    connect(&m_repaint, &QTimer::timeout, this, &LogView::showGrowth);
    m_widthLater.setSingleShot(true);
    connect(&m_widthLater, &QTimer::timeout, this, &LogView::updateHorizontalRange);
    // One block a turn of the event loop: a few milliseconds each.
    m_spill.setInterval(0);
    connect(&m_spill, &QTimer::timeout, this, &LogView::spill);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_adjusting) {
            m_follow = value >= verticalScrollBar()->maximum();
            m_place = value;
        }
        viewport()->update();
    });
    updateMetrics();
}

void LogView::contentChanged()
{
    if (!m_repaint.isActive())
        m_repaint.start();
    if (!m_spill.isActive() && (m_log.wantsSpill() || m_log.spillFaultPending()))
        m_spill.start(0);
}

void LogView::spill()
{
    m_log.spillStep();
    if (m_log.wantsSpill())
        m_spill.setInterval(0);
    else if (m_log.spillWaiting() > 0)
        // The disk may yet refuse what waits for it: look again now and then.
        m_spill.setInterval(kWaitingLook);
    else
        m_spill.stop();
    if (m_log.takeSpillFault())
        tell(kSpillFault);
}

void LogView::tell(const QString &text) const
{
    if (m_messages)
        m_messages->show(text);
}

void LogView::clear()
{
    m_log.clear();
    m_anchor = m_caret = 0;
    m_follow = true;
    refresh();
}

void LogView::setFontPointSize(qreal size)
{
    QFont changed = font();
    changed.setPointSizeF(size);
    setFont(changed);
}

void LogView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        updateMetrics();
        refresh();
    }
    QAbstractScrollArea::changeEvent(event);
}

void LogView::moveCaretToEnd()
{
    m_anchor = m_caret = m_log.size();
    m_follow = true;
    refresh();
}

QString LogView::selectedText() const
{
    const auto from = std::min(m_anchor, m_caret);
    const auto to = std::max(m_anchor, m_caret);
    QByteArray bytes;
    if (!m_log.read(from, to - from, bytes))
        return {};
    QString selected = QString::fromLatin1(bytes);
    selected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return selected;
}

void LogView::selectAll()
{
    m_anchor = 0;
    m_caret = m_log.size();
    viewport()->update();
}

void LogView::copy() const
{
    if (m_anchor == m_caret)
        return;
    // The clipboard would hold several copies of a huge selection at once.
    if (std::abs(m_caret - m_anchor) > kLargestCopy)
        return tell(kTooLargeToCopy);
    const QString selected = selectedText();
    if (selected.isEmpty())
        return tell(kSpillDamaged);
    QApplication::clipboard()->setText(selected);
}

void LogView::refresh()
{
    m_repaint.stop();
    updateScrollBars();
    if (m_follow)
        scrollToEnd();
    else
        keepPlace();
    viewport()->update();
    noteShown();
}

// Appends change only the old last line and the lines after it. Redraw those
// rows where they are in view; a device streaming into one line that already
// runs past the right edge changes nothing in view at all. A scroll redraws
// everything by itself.
void LogView::showGrowth()
{
    // Redrawing the horizontal scroll bar costs more than the rows of the
    // log; for a line growing by the byte its range may lag a little.
    updateVerticalRange();
    if (!m_widthShown.isValid() || m_widthShown.hasExpired(kWidthInterval))
        updateHorizontalRange();
    else if (!m_widthLater.isActive())
        m_widthLater.start(int(kWidthInterval - m_widthShown.elapsed()));
    if (m_follow)
        scrollToEnd();
    const auto first = qsizetype(verticalScrollBar()->value());
    const auto changed = m_shownLines - 1;
    const auto row = changed - first;
    const auto lastColumn = (horizontalScrollBar()->value() + viewport()->width()) / m_charWidth;
    const bool lineAlreadyFull =
        m_log.lineCount() == m_shownLines && m_shownLastLength > lastColumn;
    if (row >= 0 && row <= visibleLines() && !lineAlreadyFull)
        viewport()->update(0, int(row) * m_lineHeight, viewport()->width(),
                           viewport()->height() - int(row) * m_lineHeight);
    noteShown();
}

void LogView::noteShown()
{
    m_shownLines = m_log.lineCount();
    m_shownLastLength = m_log.lineLength(m_shownLines - 1);
}

void LogView::updateMetrics()
{
    const QFontMetricsF metrics(font());
    m_charWidth = std::max<qreal>(1, metrics.horizontalAdvance(QLatin1Char('M')));
    m_lineHeight = std::max(1, int(std::ceil(metrics.lineSpacing())));
    m_ascent = int(std::ceil(metrics.ascent()));
}

int LogView::visibleLines() const
{
    return std::max(1, viewport()->height() / m_lineHeight);
}

void LogView::updateScrollBars()
{
    updateVerticalRange();
    updateHorizontalRange();
}

void LogView::updateVerticalRange()
{
    m_adjusting = true;
    auto *vertical = verticalScrollBar();
    const auto lines = std::min<qsizetype>(m_log.lineCount(), std::numeric_limits<int>::max());
    vertical->setRange(0, std::max(0, int(lines) - visibleLines()));
    vertical->setPageStep(visibleLines());
    vertical->setSingleStep(1);
    m_adjusting = false;
}

void LogView::updateHorizontalRange()
{
    m_adjusting = true;
    auto *horizontal = horizontalScrollBar();
    const double contentWidth = double(m_log.longestLine()) * m_charWidth + 2 * kMargin;
    const double overflow = contentWidth - viewport()->width();
    horizontal->setRange(0,
                         int(std::clamp(overflow, 0.0, double(std::numeric_limits<int>::max()))));
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(int(m_charWidth * 4));
    m_adjusting = false;
    m_widthShown.start();
    m_widthLater.stop();
}

void LogView::scrollToEnd()
{
    m_adjusting = true;
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    m_adjusting = false;
}

// The operator's top line, as near as the view's height allows: a window
// enlarged past the end of the log and made small again shows it again.
void LogView::keepPlace()
{
    m_adjusting = true;
    verticalScrollBar()->setValue(m_place);
    m_adjusting = false;
}

void LogView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    refresh();
}

void LogView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const auto palette = this->palette();
    const auto first = qsizetype(verticalScrollBar()->value());
    const auto last = std::min(m_log.lineCount(), first + visibleLines() + 1);
    // Only the rows asked for: after an append, the few at the end.
    const auto from = first + event->rect().top() / m_lineHeight;
    const auto to = std::min(last, first + event->rect().bottom() / m_lineHeight + 1);
    const auto scrollX = horizontalScrollBar()->value();
    const auto firstColumn = qsizetype(std::max(0.0, (scrollX - kMargin) / m_charWidth));
    const auto columns = qsizetype(viewport()->width() / m_charWidth) + 2;
    const auto selectionFrom = std::min(m_anchor, m_caret);
    const auto selectionTo = std::max(m_anchor, m_caret);

    painter.setPen(palette.color(QPalette::Text));
    QByteArray bytes;
    for (auto line = from; line < to; ++line) {
        // Only the columns in view: a line may be gigabytes long.
        const auto start = m_log.lineStart(line);
        const auto length = m_log.lineLength(line);
        const int top = int(line - first) * m_lineHeight;
        const auto count = std::clamp<qsizetype>(length - firstColumn, 0, columns);
        bytes.clear();
        if (!m_log.read(start + firstColumn, count, bytes)) {
            painter.setPen(Qt::red);
            painter.drawText(QPointF(kMargin, top + m_ascent), kUnreadable);
            painter.setPen(palette.color(QPalette::Text));
            continue;
        }
        const qreal x = kMargin + firstColumn * m_charWidth - scrollX;
        if (!bytes.isEmpty())
            painter.drawText(QPointF(x, top + m_ascent), QString::fromLatin1(bytes));
        // The selected part of this line, drawn over the plain text.
        const auto selectedFrom = std::max(selectionFrom - start, firstColumn);
        const auto selectedTo = std::min({selectionTo - start, length, firstColumn + count});
        if (selectedFrom < selectedTo) {
            const qreal at = kMargin + selectedFrom * m_charWidth - scrollX;
            const QRectF area(at, top, (selectedTo - selectedFrom) * m_charWidth, m_lineHeight);
            painter.fillRect(area, palette.color(QPalette::Highlight));
            painter.setPen(palette.color(QPalette::HighlightedText));
            painter.drawText(QPointF(at, top + m_ascent),
                             QString::fromLatin1(QByteArrayView(bytes).sliced(
                                 selectedFrom - firstColumn, selectedTo - selectedFrom)));
            painter.setPen(palette.color(QPalette::Text));
        }
    }
    // The caret, while the log has the focus.
    if (hasFocus()) {
        const auto line = m_log.lineOf(m_caret);
        if (line >= first && line < last) {
            const qreal x = kMargin + (m_caret - m_log.lineStart(line)) * m_charWidth - scrollX;
            const int top = int(line - first) * m_lineHeight;
            painter.drawLine(QPointF(x, top), QPointF(x, top + m_lineHeight - 1));
        }
    }
}

qsizetype LogView::positionAt(const QPoint &point) const
{
    const auto line = std::clamp<qsizetype>(verticalScrollBar()->value() + point.y() / m_lineHeight,
                                            0, m_log.lineCount() - 1);
    const auto x = point.x() + horizontalScrollBar()->value() - kMargin;
    const auto column =
        std::clamp<qsizetype>(qsizetype(std::lround(x / m_charWidth)), 0, m_log.lineLength(line));
    return m_log.lineStart(line) + column;
}

void LogView::moveCaret(qsizetype position, bool keepAnchor)
{
    m_caret = std::clamp<qsizetype>(position, 0, m_log.size());
    if (!keepAnchor)
        m_anchor = m_caret;
    ensureCaretVisible();
    viewport()->update();
}

void LogView::ensureCaretVisible()
{
    const auto line = m_log.lineOf(m_caret);
    auto *vertical = verticalScrollBar();
    if (line < vertical->value())
        vertical->setValue(int(line));
    else if (line >= vertical->value() + visibleLines())
        vertical->setValue(int(line - visibleLines() + 1));
    auto *horizontal = horizontalScrollBar();
    // A line too long for the scroll range is shown up to where it ends.
    const int x = int(std::min<double>((m_caret - m_log.lineStart(line)) * m_charWidth,
                                       double(std::numeric_limits<int>::max()) / 2));
    if (x < horizontal->value())
        horizontal->setValue(x);
    else if (x > horizontal->value() + viewport()->width() - 2 * kMargin)
        horizontal->setValue(x - viewport()->width() + 2 * kMargin);
}

void LogView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        moveCaret(positionAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
    event->accept();
}

void LogView::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        moveCaret(positionAt(event->position().toPoint()), true);
    event->accept();
}

void LogView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Ours: a double-click on the log must not reach the window behind it.
    event->accept();
}

void LogView::keyPressEvent(QKeyEvent *event)
{
    if (event == QKeySequence::Copy) {
        copy();
        return;
    }
    if (event == QKeySequence::SelectAll) {
        selectAll();
        return;
    }
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool whole = event->modifiers() & Qt::ControlModifier;
    const auto line = m_log.lineOf(m_caret);
    const auto column = m_caret - m_log.lineStart(line);
    const auto toLine = [&](qsizetype target) {
        target = std::clamp<qsizetype>(target, 0, m_log.lineCount() - 1);
        return m_log.lineStart(target) + std::min(column, m_log.lineLength(target));
    };
    switch (event->key()) {
    case Qt::Key_Left:
        moveCaret(column > 0 ? m_caret - 1 : (line > 0 ? m_caret - 2 : m_caret), extend);
        break;
    case Qt::Key_Right:
        moveCaret(column < m_log.lineLength(line) ? m_caret + 1
                  : line + 1 < m_log.lineCount()  ? m_caret + 2
                                                  : m_caret,
                  extend);
        break;
    case Qt::Key_Up:
        moveCaret(toLine(line - 1), extend);
        break;
    case Qt::Key_Down:
        moveCaret(toLine(line + 1), extend);
        break;
    case Qt::Key_PageUp:
        moveCaret(toLine(line - visibleLines()), extend);
        break;
    case Qt::Key_PageDown:
        moveCaret(toLine(line + visibleLines()), extend);
        break;
    case Qt::Key_Home:
        moveCaret(whole ? 0 : m_log.lineStart(line), extend);
        break;
    case Qt::Key_End:
        moveCaret(whole ? m_log.size() : m_log.lineStart(line) + m_log.lineLength(line), extend);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void LogView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    menu.addAction(tr("&Copy"), QKeySequence::Copy, this, &LogView::copy)
        ->setEnabled(m_anchor != m_caret);
    menu.addAction(tr("Select &All"), QKeySequence::SelectAll, this, &LogView::selectAll);
    menu.exec(event->globalPos());
}

} // namespace zentrel
