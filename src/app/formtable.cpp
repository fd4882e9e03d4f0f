#include "app/formtable.h"

#include "app/filteredlineedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <limits>

namespace zentrel {

namespace {

QWidget *makeWidget(QWidget *parent, const ControlSpec &spec)
{
    const auto caption = QString::fromLatin1(spec.caption);
    switch (spec.kind) {
    case ControlKind::Button:
        return new QPushButton(caption, parent);
    case ControlKind::Label:
        return new QLabel(caption, parent);
    case ControlKind::List: {
        auto *list = new QComboBox(parent);
        if (!caption.isEmpty())
            list->addItems(caption.split(u'|'));
        list->setCurrentIndex(-1);
        list->setMaxVisibleItems(12);
        return list;
    }
    case ControlKind::Text: {
        auto *field = new FilteredLineEdit(parent);
        // Without a limit of its own a field takes any length, not Qt's 32767.
        field->setMaxLength(spec.maxLength > 0 ? spec.maxLength : std::numeric_limits<int>::max());
        return field;
    }
    case ControlKind::Check:
        return new QCheckBox(caption, parent);
    case ControlKind::Group:
        return new QGroupBox(caption, parent);
    }
    return nullptr;
}

} // namespace

QWidget *createControl(QWidget *parent, const ControlSpec &spec)
{
    QWidget *widget = makeWidget(parent, spec);
    widget->setObjectName(QString::fromLatin1(spec.name));
    widget->setGeometry(spec.place.toPixels());
    if (*spec.tooltip)
        widget->setToolTip(QString::fromLatin1(spec.tooltip));
    if (spec.bold || spec.pointSize > 0) {
        QFont font = widget->font();
        font.setBold(spec.bold);
        if (spec.pointSize > 0)
            font.setPointSizeF(spec.pointSize);
        widget->setFont(font);
    }
    return widget;
}

void createControls(QWidget *parent, std::span<const ControlSpec> specs)
{
    for (const auto &spec : specs)
        createControl(parent, spec);
}

} // namespace zentrel
