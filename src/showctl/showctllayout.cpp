#include "showctl/showctllayout.h"

#include <QHash>

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

DataField list(const char *caption, QStringList items, int labelWidth)
{
    return {FieldKind::List, QString::fromLatin1(caption), std::move(items), labelWidth};
}

DataField text(const char *caption, int labelWidth)
{
    return {FieldKind::Text, QString::fromLatin1(caption), {}, labelWidth};
}

DataField first(const char *caption, QStringList items)
{
    return list(caption, std::move(items), kData1LabelWidth);
}

DataField second(const char *caption, QStringList items)
{
    return list(caption, std::move(items), kData2LabelWidth);
}

const DataField kNone1{FieldKind::None, {}, {}, kData1LabelWidth};
const DataField kNone2{FieldKind::None, {}, {}, kData2LabelWidth};

QHash<QString, CommandLayout> buildLayouts()
{
    const QStringList variables = numbers(1, 26);
    const QStringList outputs = numbers(1, 64);
    const QStringList sequences = numbers(1, 256);
    const QStringList banks = numbers(1, 2);
    const QStringList ports = numbers(1, 18);
    const QStringList values = numbers(0, 255);
    const QStringList operands = values + numbers(1, 26, QStringLiteral("Variable "));
    const QStringList outputsAndFlags =
        numbers(1, 64, QStringLiteral("Output ")) + numbers(1, 64, QStringLiteral("Flag "));

    const CommandLayout variableArithmetic{first("Variable Index", variables),
                                           second("Value or Variable Index", operands)};
    const CommandLayout outputOrFlag{first("Output or Flag Index", outputsAndFlags), kNone2};
    const CommandLayout sequence{first("Sequence Index", sequences), kNone2};

    return {
        {QStringLiteral("AddVar"), variableArithmetic},
        {QStringLiteral("Blink"),
         {first("Output Index", outputs), second("Blink Period", frames(1, 255))}},
        {QStringLiteral("Display"), {text("Display Message", 4695), kNone2}},
        {QStringLiteral("MessageOut"), {first("Serial Port", ports), text("Message", 2895)}},
        {QStringLiteral("Off"), outputOrFlag},
        {QStringLiteral("On"), outputOrFlag},
        {QStringLiteral("Outport"), {first("Output Bank Index", banks), second("Value", values)}},
        {QStringLiteral("Pause"), sequence},
        {QStringLiteral("Pulse"),
         {first("Output Index", outputs), second("Pulse Duration", frames(1, 255))}},
        {QStringLiteral("Reset"), sequence},
        {QStringLiteral("SendVar"),
         {first("Serial Port", ports), second("Variable Index", variables)}},
        {QStringLiteral("SendVersion"), {kNone1, kNone2}},
        {QStringLiteral("SetVarEQ"), variableArithmetic},
        {QStringLiteral("ShowFlags"), {first("Flag Bank", banks), kNone2}},
        {QStringLiteral("ShowVar"), {first("Variable Index", variables), kNone2}},
        {QStringLiteral("Start"), sequence},
        {QStringLiteral("Stop"), sequence},
        {QStringLiteral("SubVar"), variableArithmetic},
        {QStringLiteral("Toggle"), outputOrFlag},
    };
}

const QHash<QString, CommandLayout> &layouts()
{
    static const QHash<QString, CommandLayout> all = buildLayouts();
    return all;
}

} // namespace

const QStringList &responseModes()
{
    static const QStringList modes{QStringLiteral("None"), QStringLiteral("ACK, NACK"),
                                   QStringLiteral("Msg.+ACK,NACK")};
    return modes;
}

std::optional<CommandLayout> commandLayout(const QString &command)
{
    const auto found = layouts().constFind(command);
    if (found == layouts().constEnd())
        return std::nullopt;
    return *found;
}

} // namespace zentrel::showctl
