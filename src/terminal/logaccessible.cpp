#include "terminal/logaccessible.h"

#include "terminal/logview.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <limits>

namespace zentrel {

namespace {

constexpr qsizetype kLargestOffset = std::numeric_limits<int>::max();
// Around a position, enough to find the word it is in.
constexpr qsizetype kWordReach = 256;

} // namespace

LogAccessible::LogAccessible(LogView *view) : QAccessibleWidget(view, QAccessible::EditableText) {}

QAccessibleInterface *LogAccessible::create(const QString &, QObject *object)
{
    auto *view = qobject_cast<LogView *>(object);
    return view ? new LogAccessible(view) : nullptr;
}

qsizetype LogAccessible::origin(qsizetype size)
{
    if (size <= kLargestOffset)
        return 0;
    return (size - kLargestOffset + kOriginStep - 1) / kOriginStep * kOriginStep;
}

LogView *LogAccessible::view() const
{
    return static_cast<LogView *>(widget());
}

qsizetype LogAccessible::base() const
{
    return origin(view()->model().size());
}

qsizetype LogAccessible::toPosition(int offset) const
{
    return std::clamp<qsizetype>(base() + offset, base(), view()->model().size());
}

int LogAccessible::toOffset(qsizetype position) const
{
    return int(std::clamp<qsizetype>(position - base(), 0, kLargestOffset));
}

QAccessible::State LogAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    state.selectableText = true;
    state.editable = false;
    return state;
}

void *LogAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

void LogAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || selectionCount() == 0)
        return;
    *startOffset = toOffset(std::min(view()->anchorPosition(), view()->caretPosition()));
    *endOffset = toOffset(std::max(view()->anchorPosition(), view()->caretPosition()));
}

int LogAccessible::selectionCount() const
{
    return view()->anchorPosition() != view()->caretPosition() ? 1 : 0;
}

void LogAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void LogAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        view()->select(view()->caretPosition(), view()->caretPosition());
}

void LogAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        view()->select(toPosition(startOffset), toPosition(endOffset));
}

int LogAccessible::cursorPosition() const
{
    return toOffset(view()->caretPosition());
}

void LogAccessible::setCursorPosition(int position)
{
    view()->select(toPosition(position), toPosition(position));
}

int LogAccessible::characterCount() const
{
    return toOffset(view()->model().size());
}

QString LogAccessible::read(Span span) const
{
    QByteArray bytes;
    const qsizetype to = std::min(span.to, span.from + kLargestAnswer);
    // Text that did not read back intact is not read out; the view marks it.
    if (span.from >= to || !view()->model().read(span.from, to - span.from, bytes))
        return {};
    return QString::fromLatin1(bytes);
}

QString LogAccessible::text(int startOffset, int endOffset) const
{
    // -1 asks for the rest of the text.
    const qsizetype to = endOffset < 0 ? view()->model().size() : toPosition(endOffset);
    return read({toPosition(startOffset), to});
}

LogAccessible::Span LogAccessible::spanAt(qsizetype position,
                                          QAccessible::TextBoundaryType boundary) const
{
    const LogModel &log = view()->model();
    const qsizetype size = log.size();
    if (boundary == QAccessible::NoBoundary)
        return {base(), size};
    if (boundary == QAccessible::CharBoundary)
        return {position, std::min(position + 1, size)};
    // A line of the log, its line break included, is also its sentence and
    // its paragraph.
    const qsizetype line = log.lineOf(std::min(position, size));
    const qsizetype start = std::max(log.lineStart(line), base());
    const qsizetype end = line + 1 < log.lineCount() ? log.lineStart(line + 1) : size;
    if (boundary != QAccessible::WordBoundary) {
        if (end - start <= kLargestAnswer)
            return {start, end};
        // A line too long to answer whole: the part of it around the position.
        const qsizetype from =
            std::clamp(position - kLargestAnswer / 2, start, end - kLargestAnswer);
        return {from, from + kLargestAnswer};
    }
    const qsizetype from = std::max(start, position - kWordReach);
    const QString around = read({from, std::min(end, position + kWordReach)});
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, around);
    const auto at = int(position - from);
    words.setPosition(std::min<int>(at, int(around.size())));
    const qsizetype wordEnd = words.toNextBoundary();
    words.setPosition(std::min<int>(at + 1, int(around.size())));
    const qsizetype wordStart = words.toPreviousBoundary();
    if (wordStart < 0 || wordEnd < 0)
        return {position, std::min(position + 1, size)};
    return {from + wordStart, from + wordEnd};
}

QString LogAccessible::answer(Span span, int *startOffset, int *endOffset) const
{
    *startOffset = toOffset(span.from);
    *endOffset = toOffset(span.to);
    return read(span);
}

QString LogAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                    int *startOffset, int *endOffset) const
{
    return answer(spanAt(toPosition(offset), boundaryType), startOffset, endOffset);
}

QString LogAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                        int *startOffset, int *endOffset) const
{
    const Span at = spanAt(toPosition(offset), boundaryType);
    if (at.from <= base()) {
        *startOffset = *endOffset = -1;
        return {};
    }
    return answer(spanAt(at.from - 1, boundaryType), startOffset, endOffset);
}

QString LogAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                       int *startOffset, int *endOffset) const
{
    const Span at = spanAt(toPosition(offset), boundaryType);
    if (at.to >= view()->model().size()) {
        *startOffset = *endOffset = -1;
        return {};
    }
    return answer(spanAt(at.to, boundaryType), startOffset, endOffset);
}

QRect LogAccessible::characterRect(int offset) const
{
    const QRect inView = view()->characterRect(toPosition(offset));
    return QRect(view()->viewport()->mapToGlobal(inView.topLeft()), inView.size());
}

int LogAccessible::offsetAtPoint(const QPoint &point) const
{
    const QPoint inView = view()->viewport()->mapFromGlobal(point);
    if (!view()->viewport()->rect().contains(inView))
        return -1;
    return toOffset(view()->positionAt(inView));
}

void LogAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    view()->ensureVisible(toPosition(endIndex));
    view()->ensureVisible(toPosition(startIndex));
}

QString LogAccessible::attributes(int, int *startOffset, int *endOffset) const
{
    // One plain face for the whole text.
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

LogAnnouncer::LogAnnouncer(LogView *view) : QObject(view), m_view(view)
{
    m_later.setSingleShot(true);
    connect(&m_later, &QTimer::timeout, this, &LogAnnouncer::announce);
    connect(&view->model(), &LogModel::appended, this, &LogAnnouncer::grew);
    connect(&view->model(), &LogModel::cleared, this, &LogAnnouncer::cleared);
}

void LogAnnouncer::grew()
{
    if (!QAccessible::isActive()) {
        m_announced = m_view->model().size();
        m_origin = LogAccessible::origin(m_announced);
        return;
    }
    // At once after a quiet spell; under a flood, once an interval.
    if (!m_later.isActive())
        m_later.start(m_last.isValid() ? int(std::max<qint64>(0, kInterval - m_last.elapsed()))
                                       : 0);
}

void LogAnnouncer::announce()
{
    const qsizetype size = m_view->model().size();
    if (size <= m_announced)
        return;
    m_last.start();
    const qsizetype origin = LogAccessible::origin(size);
    if (origin != m_origin) {
        // The oldest gigabyte leaves the reach of offsets.
        QAccessibleTextRemoveEvent moved(
            m_view, 0, QString(std::min(origin - m_origin, LogAccessible::kLargestAnswer), u' '));
        QAccessible::updateAccessibility(&moved);
        m_origin = origin;
    }
    // Under a flood, only the newest text: nobody listens to more at once.
    const qsizetype from =
        std::max({m_announced, origin, size - LogAccessible::kLargestAnswer / 16});
    QByteArray bytes;
    m_announced = size;
    if (!m_view->model().read(from, size - from, bytes))
        return;
    QAccessibleTextInsertEvent inserted(m_view, int(from - origin), QString::fromLatin1(bytes));
    QAccessible::updateAccessibility(&inserted);
}

void LogAnnouncer::cleared(qsizetype length)
{
    m_later.stop();
    // What assistive technology was told of is what goes; Qt's own editors
    // tell a removal they no longer hold the text of by its length alone.
    const qsizetype told = std::min(length, m_announced) - m_origin;
    m_announced = 0;
    m_origin = 0;
    if (!QAccessible::isActive() || told <= 0)
        return;
    QAccessibleTextRemoveEvent removed(
        m_view, 0, QString(std::min(told, LogAccessible::kLargestAnswer), u' '));
    QAccessible::updateAccessibility(&removed);
}

} // namespace zentrel
