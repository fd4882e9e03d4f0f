#include "showctl/showctllayout.h"

namespace zentrel::showctl {

namespace {

QStringList numbers(int first, int last, const QString &word = {})
{
    QStringList items;
    items.reserve(last - first + 1);
    for (int n = first; n <= last; ++n)
        items.append(word + QString::number(n));
    return items;
}

QStringList frames(int first, int last)
{
    QStringList items;
    items.reserve(last - first + 1);
    for (int n = first; n <= last; ++n)
        items.append(QString::number(n) +
                     (n == 1 ? QStringLiteral(" Frame") : QStringLiteral(" Frames")));
    return items;
}

// What the operator picks from for a value of that form and range.
QStringList items(const Value &value)
{
    switch (value.form) {
    case Form::None:
    case Form::Message:
        return {};
    case Form::Index:
    case Form::Plain:
        return numbers(value.low, value.high);
    case Form::Frames:
        return frames(value.low, value.high);
    case Form::OutputOrFlag:
        return numbers(value.low, value.high, QStringLiteral("Output ")) +
               numbers(value.low, value.high, QStringLiteral("Flag "));
    case Form::Operand:
        return numbers(value.low, value.high) + numbers(1, kVariables, QStringLiteral("Variable "));
    }
    return {};
}

DataField field(const Value &value, int defaultLabelWidth)
{
    const int labelWidth = value.labelWidth > 0 ? value.labelWidth : defaultLabelWidth;
    if (value.form == Form::None)
        return {FieldKind::None, {}, {}, labelWidth};
    const auto kind = value.form == Form::Message ? FieldKind::Text : FieldKind::List;
    return {kind, QString::fromLatin1(value.caption), items(value), labelWidth};
}

} // namespace

const Command *findCommand(const QString &name)
{
    for (const auto &command : kCommands) {
        if (name == QLatin1StringView(command.name))
            return &command;
    }
    return nullptr;
}

QStringList commandNames()
{
    QStringList names;
    for (const auto &command : kCommands)
        names.append(QString::fromLatin1(command.name));
    return names;
}

QStringList targetAddresses()
{
    return numbers(kLowestTarget, kHighestTarget);
}

const QStringList &responseModes()
{
    static const QStringList modes = QString::fromLatin1(kResponseModeItems).split(u'|');
    return modes;
}

std::optional<CommandLayout> commandLayout(const QString &command)
{
    const Command *found = findCommand(command);
    if (!found)
        return std::nullopt;
    return CommandLayout{field(found->data1, kData1LabelWidth),
                         field(found->data2, kData2LabelWidth)};
}

} // namespace zentrel::showctl
