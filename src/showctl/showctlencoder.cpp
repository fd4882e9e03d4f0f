#include "showctl/showctlencoder.h"

#include "showctl/showctllayout.h"
#include "showctl/vekfunc.h"
#include "tools/customnotation.h"

#include <optional>

namespace zentrel::showctl {

namespace {

constexpr char kStartByte = char(0xF5);
constexpr quint8 kFirstFlag = 64;
// A variable operand's opcode lies this far above the number operand's.
constexpr quint8 kVariableOperand = 9;

std::optional<int> number(const QString &text, int low, int high)
{
    bool ok = false;
    const int n = text.toInt(&ok, 10);
    if (!ok || n < low || n > high)
        return std::nullopt;
    return n;
}

// "Output 12", "Variable 3": the number after the word.
std::optional<int> numberAfterWord(const QString &item, int low, int high)
{
    const auto space = item.indexOf(u' ');
    if (space < 0)
        return std::nullopt;
    return number(item.mid(space + 1).trimmed(), low, high);
}

// "25 Frames": the number before the word.
std::optional<int> numberBeforeWord(const QString &item, int low, int high)
{
    const auto space = item.indexOf(u' ');
    if (space < 0)
        return std::nullopt;
    return number(item.left(space).trimmed(), low, high);
}

// Builds the body one data value at a time; the first value that cannot be
// encoded leaves its result behind and stops the rest.
class Body
{
public:
    explicit Body(quint8 opcode) { m_bytes.append(char(opcode)); }

    bool add(const Value &value, const QString &text, const DataField &field);
    CommandResult result() const { return m_result ? *m_result : CommandResult::send(m_bytes); }

private:
    bool addByte(std::optional<int> n, int offset, const DataField &field);
    bool addMessage(const QString &text, int maxBytes);

    QByteArray m_bytes;
    std::optional<CommandResult> m_result;
};

bool Body::add(const Value &value, const QString &text, const DataField &field)
{
    switch (value.form) {
    case Form::None:
        return true;
    case Form::Index:
        return addByte(number(text, value.low, value.high), -1, field);
    case Form::Plain:
        return addByte(number(text, value.low, value.high), 0, field);
    case Form::Frames:
        return addByte(numberBeforeWord(text, value.low, value.high), 0, field);
    case Form::OutputOrFlag:
        if (text.contains(QLatin1StringView("Output"), Qt::CaseInsensitive))
            return addByte(numberAfterWord(text, value.low, value.high), -1, field);
        return addByte(numberAfterWord(text, value.low, value.high), kFirstFlag - 1, field);
    case Form::Operand:
        if (text.contains(QLatin1StringView("Variable"), Qt::CaseInsensitive)) {
            m_bytes[0] = char(quint8(m_bytes.at(0)) + kVariableOperand);
            return addByte(numberAfterWord(text, 1, kVariables), -1, field);
        }
        return addByte(number(text, value.low, value.high), 0, field);
    case Form::Message:
        return addMessage(text, value.high);
    }
    return false;
}

bool Body::addByte(std::optional<int> n, int offset, const DataField &field)
{
    if (!n) {
        m_result = CommandResult::refuse(QStringLiteral("Enter %1!").arg(field.caption));
        return false;
    }
    m_bytes.append(char(*n + offset));
    return true;
}

bool Body::addMessage(const QString &text, int maxBytes)
{
    auto converted = ConvertCustom(text);
    if (converted.refused() || converted.bytes.isEmpty()) {
        m_result = std::move(converted);
        return false;
    }
    // The length byte cannot count a longer body, and a cut message would
    // show the audience something the operator never wrote.
    if (converted.bytes.size() > maxBytes) {
        m_result = CommandResult::refuse(kMessageTooLong);
        return false;
    }
    m_bytes.append(converted.bytes);
    return true;
}

bool missing(const DataField &field, const QString &text)
{
    return field.kind != FieldKind::None && text.isEmpty();
}

} // namespace

CommandResult encodePacket(const PacketFields &fields)
{
    const auto target = number(fields.target, kLowestTarget, kHighestTarget);
    if (!target)
        return CommandResult::refuse(kNoTarget);
    const auto response = responseModes().indexOf(fields.response);
    if (response < 0)
        return CommandResult::refuse(kNoResponse);
    const Command *command = findCommand(fields.command);
    const auto layout = commandLayout(fields.command);
    if (!command || !layout)
        return CommandResult::refuse(kNoCommand);
    if (missing(layout->data1, fields.data1))
        return CommandResult::refuse(QStringLiteral("Enter %1!").arg(layout->data1.caption));
    if (missing(layout->data2, fields.data2))
        return CommandResult::refuse(QStringLiteral("Enter %1!").arg(layout->data2.caption));

    Body body(command->opcode);
    if (!body.add(command->data1, fields.data1, layout->data1) ||
        !body.add(command->data2, fields.data2, layout->data2))
        return body.result();
    const QByteArray bodyBytes = body.result().bytes;

    QByteArray packet;
    packet.append(char(*target));
    packet.append(char(response));
    packet.append(char(bodyBytes.size()));
    packet.append(bodyBytes);
    packet.append(CalcChecksum(packet));
    packet.prepend(kStartByte);
    return CommandResult::send(packet);
}

} // namespace zentrel::showctl
