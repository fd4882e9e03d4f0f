#include "forms/formanchors.h"

#include "forms/formtable.h"

#include <algorithm>
#include <cmath>

namespace zentrel {

namespace {

// One axis: the start and the length along it, moved or stretched by the
// parent's growth along it.
void alongAxis(int &start, int &length, int growth, bool nearEdge, bool farEdge)
{
    if (farEdge && nearEdge)
        length += growth;
    else if (farEdge)
        start += growth;
}

// The largest part of a growth that moves a control by whole device pixels,
// keeping it on the grid its table put it on: moved by half a device pixel
// at 150 %, a frame loses the line along its edge (the tab page's did).
int onDevicePixels(int growth, qreal ratio)
{
    for (int step = 1; step <= 16; ++step) {
        if (std::abs(step * ratio - std::round(step * ratio)) < 1e-6)
            return growth - (growth % step + step) % step;
    }
    return growth;
}

int depth(const QWidget *widget)
{
    int steps = 0;
    for (; widget; widget = widget->parentWidget())
        ++steps;
    return steps;
}

} // namespace

FormAnchors::FormAnchors(const QWidget *form, std::span<const ControlAnchor> rows)
{
    m_held.reserve(rows.size());
    for (const auto &row : rows) {
        auto *widget = control<QWidget>(form, row.name);
        m_held.push_back({widget, widget->geometry(), widget->parentWidget()->size(), row.edges});
    }
    // A frame is placed before what it holds, which follows the frame's new size.
    std::stable_sort(m_held.begin(), m_held.end(), [](const Held &a, const Held &b) {
        return depth(a.widget) < depth(b.widget);
    });
}

void FormAnchors::follow() const
{
    for (const auto &held : m_held) {
        if (!held.widget)
            continue;
        const QWidget *parent = held.widget->parentWidget();
        const qreal ratio = parent->devicePixelRatio();
        const QSize grown = parent->size() - held.parentBuilt;
        const QSize growth(onDevicePixels(grown.width(), ratio),
                           onDevicePixels(grown.height(), ratio));
        int left = held.built.left(), width = held.built.width();
        int top = held.built.top(), height = held.built.height();
        alongAxis(left, width, growth.width(), held.edges & Qt::LeftEdge,
                  held.edges & Qt::RightEdge);
        alongAxis(top, height, growth.height(), held.edges & Qt::TopEdge,
                  held.edges & Qt::BottomEdge);
        held.widget->setGeometry(left, top, width, height);
    }
}

} // namespace zentrel
