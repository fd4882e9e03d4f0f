#include "terminal/logview.h"

#include "terminal/logaccessible.h"

#include <QAccessible>
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
// Shown in place of lines whose text on disk did not read back intact.
constexpr QLatin1StringView kUnreadable("[damaged log text]");
} // namespace

LogView::LogView(const LogModel &model, QWidget *parent)
    : QAbstractScrollArea(parent), m_model(model), m_announcer(new LogAnnouncer(this))
{
    static const bool readable = (QAccessible::installFactory(LogAccessible::create), true);
    Q_UNUSED(readable);
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
    // Cheap, however often the log grows.
    connect(&m_model, &LogModel::appended, this, [this] {
        if (!m_repaint.isActive())
            m_repaint.start();
    });
    connect(&m_model, &LogModel::cleared, this, &LogView::cleared);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_adjusting) {
            m_follow = value >= verticalScrollBar()->maximum();
            m_place = value;
        }
        viewport()->update();
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (m_adjusting)
            return;
        // Back at the end of the last line, or at the bar's end while the
        // bar has yet to take in the latest growth: following again.
        m_column = std::min(m_bar.columnOf(value), lastColumn());
        const auto follow = followColumn();
        m_followSideways =
            m_column == follow || (value == horizontalScrollBar()->maximum() && m_column < follow);
        viewport()->update();
    });
    updateMetrics();
}

void LogView::tell(const QString &text) const
{
    if (m_messages)
        m_messages->show(text);
}

void LogView::cleared()
{
    m_anchor = m_caret = m_column = 0;
    m_follow = m_followSideways = true;
    refresh();
    caretMoved();
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
    m_anchor = m_caret = log().size();
    m_follow = m_followSideways = true;
    refresh();
    caretMoved();
}

void LogView::select(qsizetype anchor, qsizetype caret)
{
    // Never between the two characters of a line break.
    const auto outsideBreak = [this](qsizetype position) {
        position = std::clamp<qsizetype>(position, 0, log().size());
        const auto line = log().lineOf(position);
        return std::min(position, log().lineStart(line) + log().lineLength(line));
    };
    m_anchor = outsideBreak(anchor);
    moveCaret(outsideBreak(caret), true);
}

void LogView::caretMoved()
{
    if (!QAccessible::isActive())
        return;
    const qsizetype origin = LogAccessible::origin(log().size());
    const auto offset = [origin](qsizetype position) {
        return int(std::clamp<qsizetype>(position - origin, 0, std::numeric_limits<int>::max()));
    };
    QAccessibleTextCursorEvent moved(this, offset(m_caret));
    QAccessible::updateAccessibility(&moved);
    QAccessibleTextSelectionEvent selected(this, offset(std::min(m_anchor, m_caret)),
                                           offset(std::max(m_anchor, m_caret)));
    QAccessible::updateAccessibility(&selected);
}

QString LogView::selectedText() const
{
    const auto from = std::min(m_anchor, m_caret);
    const auto to = std::max(m_anchor, m_caret);
    QByteArray bytes;
    if (!log().read(from, to - from, bytes))
        return {};
    QString selected = QString::fromLatin1(bytes);
    selected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return selected;
}

void LogView::selectAll()
{
    m_anchor = 0;
    m_caret = log().size();
    viewport()->update();
    caretMoved();
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
    setColumn(m_follow && m_followSideways ? followColumn() : m_column);
    viewport()->update();
    noteShown();
}

// Appends change only the old last line and the lines after it. Redraw those
// rows where they are in view; a device streaming into one line that already
// runs past the right edge changes nothing in view at all, unless the view
// follows it sideways. A scroll redraws everything by itself.
void LogView::showGrowth()
{
    // Redrawing the horizontal scroll bar costs more than the rows of the
    // log; for a line growing by the byte its range may lag a little, and
    // the view follows the line meanwhile all the same.
    updateVerticalRange();
    if (!m_widthShown.isValid() || m_widthShown.hasExpired(kWidthInterval))
        updateHorizontalRange();
    else if (!m_widthLater.isActive())
        m_widthLater.start(int(kWidthInterval - m_widthShown.elapsed()));
    if (m_follow)
        scrollToEnd();
    if (m_follow && m_followSideways && setColumn(followColumn())) {
        viewport()->update();
        noteShown();
        return;
    }
    const auto first = qsizetype(verticalScrollBar()->value());
    const auto changed = m_shownLines - 1;
    const auto row = changed - first;
    const bool lineAlreadyFull =
        log().lineCount() == m_shownLines && m_shownLastLength > m_column + visibleColumns();
    if (row >= 0 && row <= visibleLines() && !lineAlreadyFull)
        viewport()->update(0, int(row) * m_lineHeight, viewport()->width(),
                           viewport()->height() - int(row) * m_lineHeight);
    noteShown();
}

void LogView::noteShown()
{
    m_shownLines = log().lineCount();
    m_shownLastLength = log().lineLength(m_shownLines - 1);
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

qsizetype LogView::visibleColumns() const
{
    return std::max<qsizetype>(1, qsizetype((viewport()->width() - 2 * kMargin) / m_charWidth));
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
    const auto lines = std::min<qsizetype>(log().lineCount(), std::numeric_limits<int>::max());
    vertical->setRange(0, std::max(0, int(lines) - visibleLines()));
    vertical->setPageStep(visibleLines());
    vertical->setSingleStep(1);
    m_adjusting = false;
}

void LogView::updateHorizontalRange()
{
    m_adjusting = true;
    auto *horizontal = horizontalScrollBar();
    m_bar = ColumnBar::of(lastColumn());
    m_column = std::min(m_column, m_bar.last);
    horizontal->setRange(0, m_bar.maximum);
    horizontal->setPageStep(int(std::max<qsizetype>(1, visibleColumns() / m_bar.scale)));
    horizontal->setSingleStep(int(std::max<qsizetype>(1, 4 / m_bar.scale)));
    horizontal->setValue(m_bar.valueOf(m_column));
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

qsizetype LogView::followColumn() const
{
    return std::max<qsizetype>(0, log().lineLength(log().lineCount() - 1) - visibleColumns());
}

qsizetype LogView::lastColumn() const
{
    return std::max<qsizetype>(0, log().longestLine() - visibleColumns());
}

bool LogView::setColumn(qsizetype column)
{
    column = std::clamp<qsizetype>(column, 0, lastColumn());
    const bool moved = column != m_column;
    m_column = column;
    // The bar shows it as far as it reaches yet.
    m_adjusting = true;
    horizontalScrollBar()->setValue(m_bar.valueOf(column));
    m_adjusting = false;
    return moved;
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
    const auto last = std::min(log().lineCount(), first + visibleLines() + 1);
    // Only the rows asked for: after an append, the few at the end.
    const auto from = first + event->rect().top() / m_lineHeight;
    const auto to = std::min(last, first + event->rect().bottom() / m_lineHeight + 1);
    const auto firstColumn = m_column;
    const auto columns = visibleColumns() + 2;
    const auto selectionFrom = std::min(m_anchor, m_caret);
    const auto selectionTo = std::max(m_anchor, m_caret);
    // Where a column of a line in view is drawn.
    const auto xOf = [&](qsizetype column) {
        return kMargin + qreal(column - firstColumn) * m_charWidth;
    };

    painter.setPen(palette.color(QPalette::Text));
    QByteArray bytes;
    for (auto line = from; line < to; ++line) {
        // Only the columns in view: a line may be gigabytes long.
        const auto start = log().lineStart(line);
        const auto length = log().lineLength(line);
        const int top = int(line - first) * m_lineHeight;
        const auto count = std::clamp<qsizetype>(length - firstColumn, 0, columns);
        bytes.clear();
        if (!log().read(start + firstColumn, count, bytes)) {
            painter.setPen(Qt::red);
            painter.drawText(QPointF(kMargin, top + m_ascent), kUnreadable);
            painter.setPen(palette.color(QPalette::Text));
            continue;
        }
        if (!bytes.isEmpty())
            painter.drawText(QPointF(kMargin, top + m_ascent), QString::fromLatin1(bytes));
        // The selected part of this line, drawn over the plain text.
        const auto selectedFrom = std::max(selectionFrom - start, firstColumn);
        const auto selectedTo = std::min({selectionTo - start, length, firstColumn + count});
        if (selectedFrom < selectedTo) {
            const qreal at = xOf(selectedFrom);
            const QRectF area(at, top, qreal(selectedTo - selectedFrom) * m_charWidth,
                              m_lineHeight);
            painter.fillRect(area, palette.color(QPalette::Highlight));
            painter.setPen(palette.color(QPalette::HighlightedText));
            painter.drawText(QPointF(at, top + m_ascent),
                             QString::fromLatin1(QByteArrayView(bytes).sliced(
                                 selectedFrom - firstColumn, selectedTo - selectedFrom)));
            painter.setPen(palette.color(QPalette::Text));
        }
    }
    // The caret, while the log has the focus and it is in view, and an
    // outline that shows the focus also where the caret is out of view.
    if (hasFocus()) {
        const auto line = log().lineOf(m_caret);
        const auto column = m_caret - log().lineStart(line);
        if (line >= first && line < last && column >= firstColumn &&
            column <= firstColumn + columns) {
            const qreal x = xOf(column);
            const int top = int(line - first) * m_lineHeight;
            painter.drawLine(QPointF(x, top), QPointF(x, top + m_lineHeight - 1));
        }
        painter.setPen(palette.color(QPalette::Highlight));
        painter.drawRect(viewport()->rect().adjusted(0, 0, -1, -1));
    }
}

void LogView::focusInEvent(QFocusEvent *event)
{
    viewport()->update();
    QAbstractScrollArea::focusInEvent(event);
}

void LogView::focusOutEvent(QFocusEvent *event)
{
    viewport()->update();
    QAbstractScrollArea::focusOutEvent(event);
}

qsizetype LogView::positionAt(const QPoint &point) const
{
    const auto line = std::clamp<qsizetype>(verticalScrollBar()->value() + point.y() / m_lineHeight,
                                            0, log().lineCount() - 1);
    const auto column = m_column + qsizetype(std::lround((point.x() - kMargin) / m_charWidth));
    return log().lineStart(line) + std::clamp<qsizetype>(column, 0, log().lineLength(line));
}

void LogView::moveCaret(qsizetype position, bool keepAnchor)
{
    m_caret = std::clamp<qsizetype>(position, 0, log().size());
    if (!keepAnchor)
        m_anchor = m_caret;
    ensureVisible(m_caret);
    viewport()->update();
    caretMoved();
}

QRect LogView::characterRect(qsizetype position) const
{
    const auto line = log().lineOf(position);
    const double x = kMargin + double(position - log().lineStart(line) - m_column) * m_charWidth;
    const double y = double(line - verticalScrollBar()->value()) * m_lineHeight;
    const auto inInt = [](double v) {
        return int(std::clamp(v, double(std::numeric_limits<int>::min()) / 2,
                              double(std::numeric_limits<int>::max()) / 2));
    };
    return QRect(inInt(x), inInt(y), int(std::ceil(m_charWidth)), m_lineHeight);
}

void LogView::ensureVisible(qsizetype position)
{
    const auto line = log().lineOf(position);
    auto *vertical = verticalScrollBar();
    if (line < vertical->value())
        vertical->setValue(int(line));
    else if (line >= vertical->value() + visibleLines())
        vertical->setValue(int(line - visibleLines() + 1));
    // Any column of any line: the view keeps its own, the bar only shows it.
    const auto column = position - log().lineStart(line);
    auto target = m_column;
    if (column < m_column)
        target = column;
    else if (column > m_column + visibleColumns())
        target = column - visibleColumns();
    if (setColumn(target))
        m_followSideways = m_column == followColumn();
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
    const auto line = log().lineOf(m_caret);
    const auto column = m_caret - log().lineStart(line);
    const auto toLine = [&](qsizetype target) {
        target = std::clamp<qsizetype>(target, 0, log().lineCount() - 1);
        return log().lineStart(target) + std::min(column, log().lineLength(target));
    };
    switch (event->key()) {
    case Qt::Key_Left:
        moveCaret(column > 0 ? m_caret - 1 : (line > 0 ? m_caret - 2 : m_caret), extend);
        break;
    case Qt::Key_Right:
        moveCaret(column < log().lineLength(line) ? m_caret + 1
                  : line + 1 < log().lineCount()  ? m_caret + 2
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
        moveCaret(whole ? 0 : log().lineStart(line), extend);
        break;
    case Qt::Key_End:
        moveCaret(whole ? log().size() : log().lineStart(line) + log().lineLength(line), extend);
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
