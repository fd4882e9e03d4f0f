#include "forms/formtable.h"

#include "forms/filteredlineedit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyleFactory>
#include <QTabBar>

#include <limits>

namespace zentrel {

namespace {

constexpr char kSpecProperty[] = "zentrel.formRow";

QWidget *makeWidget(QWidget *parent, const ControlSpec &row)
{
    const auto caption = QString::fromLatin1(row.caption);
    switch (row.kind) {
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
        // Hemmed in by its neighbours, a list starts its text 2 px inside
        // the frame instead of the style's wider padding: 8 px more room.
        if (row.tight)
            list->setStyleSheet(QStringLiteral("QComboBox { padding-left: 2px; }"));
        return list;
    }
    case ControlKind::Text: {
        auto *field = new FilteredLineEdit(parent);
        // Without a limit of its own a field takes any length, not Qt's 32767.
        field->setMaxLength(row.maxLength > 0 ? row.maxLength : std::numeric_limits<int>::max());
        return field;
    }
    case ControlKind::Check:
        return new QCheckBox(caption, parent);
    case ControlKind::Group:
        return new QGroupBox(caption, parent);
    }
    return nullptr;
}

void connectAction(QWidget *widget, ControlKind kind, Handler handler, QObject *owner)
{
    const auto call = [handler, owner] { handler(owner); };
    switch (kind) {
    case ControlKind::Button:
        QObject::connect(static_cast<QPushButton *>(widget), &QPushButton::clicked, owner, call);
        break;
    case ControlKind::List:
        QObject::connect(static_cast<QComboBox *>(widget), &QComboBox::activated, owner, call);
        break;
    case ControlKind::Text:
        QObject::connect(static_cast<QLineEdit *>(widget), &QLineEdit::textChanged, owner, call);
        break;
    case ControlKind::Check:
        QObject::connect(static_cast<QCheckBox *>(widget), &QCheckBox::toggled, owner, call);
        break;
    case ControlKind::Label:
    case ControlKind::Group:
        Q_ASSERT_X(false, "connectAction", "a label or a frame has no action");
        break;
    }
}

QWidget *createControl(QWidget *parent, const ControlSpec &row, QObject *owner)
{
    QWidget *widget = makeWidget(parent, row);
    widget->setObjectName(QString::fromLatin1(row.name));
    widget->setProperty(kSpecProperty, QVariant::fromValue(&row));
    widget->setGeometry(row.place.toPixels());
    if (*row.tooltip)
        widget->setToolTip(QString::fromLatin1(row.tooltip));
    if (row.bold || row.pointSize > 0) {
        QFont font = widget->font();
        font.setBold(row.bold);
        if (row.pointSize > 0)
            font.setPointSizeF(row.pointSize);
        widget->setFont(font);
    }
    if (row.handler)
        connectAction(widget, row.kind, row.handler, owner);
    return widget;
}

} // namespace

void createControls(QWidget *parent, std::span<const ControlSpec> rows, QObject *owner)
{
    for (const auto &row : rows)
        createControl(parent, row, owner ? owner : parent);
}

QTabBar *createTabStrip(QWidget *parent, const char *name, const QStringList &captions, Twips place)
{
    const QRect area = place.toPixels();
    auto *strip = new QTabBar(parent);
    strip->setObjectName(QString::fromLatin1(name));
    strip->setDrawBase(false);
    strip->setExpanding(false);
    for (const auto &caption : captions)
        strip->addTab(caption);
    const int height = strip->sizeHint().height();
    strip->setGeometry(area.left(), area.top(), area.width(), height);
    auto *page = new QFrame(parent);
    page->setObjectName(QString::fromLatin1(name) + QStringLiteral("Page"));
    page->setFrameShape(QFrame::StyledPanel);
    page->setGeometry(area.adjusted(0, height - 1, 0, 0));
    strip->raise();
    return strip;
}

const ControlSpec *specOf(const QWidget *widget)
{
    return widget->property(kSpecProperty).value<const ControlSpec *>();
}

void applyFormStyle()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // Resolved by fontconfig; the package depends on DejaVu for it.
    QFont font(QStringLiteral("Sans Serif"));
    font.setPointSizeF(8.25);
    QApplication::setFont(font);
}

void bringForward(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace zentrel
