#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <span>
#include <vector>

namespace zentrel {

// How a control follows its parent once the parent is larger than the size
// it was built at: it keeps its distance to each edge named, and stretches
// along an axis whose two edges are both named.
struct ControlAnchor
{
    const char *name;
    Qt::Edges edges;
};

// A form's controls held at their anchors while the form is resized; at the
// size they were built at, every control is back at its built place.
class FormAnchors
{
public:
    FormAnchors() = default;
    // The named controls' present places and their parents' present sizes
    // are the built ones.
    FormAnchors(const QWidget *form, std::span<const ControlAnchor> rows);

    // Places every control for its parent's present size.
    void follow() const;

private:
    struct Held
    {
        QPointer<QWidget> widget;
        QRect built;
        QSize parentBuilt;
        Qt::Edges edges;
    };
    std::vector<Held> m_held;
};

} // namespace zentrel
