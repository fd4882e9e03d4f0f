#include "showcontrollerdevice.h"

#include "bytetext.h"

namespace zentrel::sim {

namespace {

// What a data byte stands for; the controller counts every index from 0.
enum class Operand { None, Object, Output, Frames, Value, Variable, Sequence, Bank, Port };

struct Command
{
    uchar opcode;
    const char *name;
    Operand first = Operand::None;
    Operand second = Operand::None;
    bool text = false; // one or more message bytes follow the operands
};

constexpr Command kCommands[] = {
    {0x02, "On", Operand::Object},
    {0x03, "Off", Operand::Object},
    {0x04, "Blink", Operand::Output, Operand::Frames},
    {0x05, "Pulse", Operand::Output, Operand::Frames},
    {0x06, "Toggle", Operand::Object},
    {0x0C, "Display", Operand::None, Operand::None, true},
    {0x0D, "MessageOut", Operand::Port, Operand::None, true},
    {0x13, "SendVar", Operand::Port, Operand::Variable},
    {0x18, "Start", Operand::Sequence},
    {0x19, "Stop", Operand::Sequence},
    {0x1A, "Pause", Operand::Sequence},
    {0x1B, "Reset", Operand::Sequence},
    {0x1C, "ShowFlags", Operand::Bank},
    {0x20, "Outport", Operand::Bank, Operand::Value},
    {0x28, "SetVarEQ", Operand::Variable, Operand::Value},
    {0x2F, "AddVar", Operand::Variable, Operand::Value},
    {0x30, "SubVar", Operand::Variable, Operand::Value},
    {0x31, "SetVarEQ", Operand::Variable, Operand::Variable},
    {0x38, "AddVar", Operand::Variable, Operand::Variable},
    {0x39, "SubVar", Operand::Variable, Operand::Variable},
    {0x3A, "ShowVar", Operand::Variable},
    {0x42, "SendVersion"},
};

constexpr uchar kSendVar = 0x13;
constexpr int kFlagsPerBank = 32;
constexpr int kOutputs = 64;

const Command *findCommand(uchar opcode)
{
    for (const auto &command : kCommands) {
        if (command.opcode == opcode)
            return &command;
    }
    return nullptr;
}

int operandCount(const Command &command)
{
    return (command.first != Operand::None) + (command.second != Operand::None);
}

// The operand as the operator counts it, or an empty text when the byte is
// out of its range.
QString operandText(Operand operand, uchar byte)
{
    switch (operand) {
    case Operand::Object:
        if (byte < kOutputs)
            return QStringLiteral("output %1").arg(byte + 1);
        if (byte < ShowControllerDevice::kOutputsAndFlags)
            return QStringLiteral("flag %1").arg(byte - kOutputs + 1);
        return {};
    case Operand::Output:
        return byte < kOutputs ? QStringLiteral("output %1").arg(byte + 1) : QString();
    case Operand::Frames:
        return byte > 0 ? QStringLiteral("%1 frames").arg(byte) : QString();
    case Operand::Value:
        return QString::number(byte);
    case Operand::Variable:
        return byte < ShowControllerDevice::kVariables ? QStringLiteral("variable %1").arg(byte + 1)
                                                       : QString();
    case Operand::Sequence:
        return QStringLiteral("sequence %1").arg(byte + 1);
    case Operand::Bank:
        return byte < 2 ? QStringLiteral("bank %1").arg(byte + 1) : QString();
    case Operand::Port:
        return byte >= 1 && byte <= 18 ? QStringLiteral("serial port %1").arg(byte) : QString();
    case Operand::None:
        break;
    }
    return {};
}

QString operandName(Operand operand)
{
    switch (operand) {
    case Operand::Object:
        return QStringLiteral("output or flag");
    case Operand::Output:
        return QStringLiteral("output");
    case Operand::Frames:
        return QStringLiteral("frame count");
    case Operand::Variable:
        return QStringLiteral("variable");
    case Operand::Bank:
        return QStringLiteral("bank");
    case Operand::Port:
        return QStringLiteral("serial port");
    default:
        return QStringLiteral("value");
    }
}

QString responseName(uchar mode)
{
    switch (mode) {
    case 0:
        return QStringLiteral("none");
    case 1:
        return QStringLiteral("ACK/NACK");
    case 2:
        return QStringLiteral("message+ACK/NACK");
    default:
        return QStringLiteral("unknown (%1)").arg(mode);
    }
}

Exchange nack(const QString &report)
{
    return {report + QStringLiteral(" -> NACK <15>"), QByteArray(1, ShowControllerDevice::kNack)};
}

} // namespace

QString ShowControllerDevice::identity() const
{
    return QStringLiteral("showctl, address %1").arg(m_address);
}

char ShowControllerDevice::checksum(QByteArrayView packetWithoutChecksum)
{
    uint sum = 0;
    for (const char c : packetWithoutChecksum.sliced(1))
        sum += uchar(c);
    return char(sum & 0xFF);
}

QList<Exchange> ShowControllerDevice::feed(QByteArrayView bytes)
{
    return take(m_reader.feed(bytes));
}

QList<Exchange> ShowControllerDevice::lineIdle()
{
    return take(m_reader.lineIdle());
}

QList<Exchange> ShowControllerDevice::take(const QList<PacketReader::Piece> &pieces)
{
    QList<Exchange> exchanges;
    for (const auto &piece : pieces) {
        switch (piece.kind) {
        case PacketReader::Piece::Packet:
            exchanges.append(takePacket(piece.bytes));
            break;
        case PacketReader::Piece::Junk:
            exchanges.append(nack(QStringLiteral("bytes %1: no start byte F5 before them")
                                      .arg(hexBytes(piece.bytes))));
            break;
        case PacketReader::Piece::CutShort:
            exchanges.append(
                nack(QStringLiteral("packet %1: cut short, the line went quiet before its end")
                         .arg(hexBytes(piece.bytes))));
            break;
        }
    }
    return exchanges;
}

Exchange ShowControllerDevice::takePacket(const QByteArray &packet)
{
    const uchar target = uchar(packet.at(1));
    const uchar mode = uchar(packet.at(2));
    const qsizetype length = uchar(packet.at(3));
    const QByteArrayView body = QByteArrayView(packet).sliced(PacketReader::kHeaderSize, length);
    QString report = QStringLiteral("packet %1: target %2, response %3")
                         .arg(hexBytes(packet))
                         .arg(target)
                         .arg(responseName(mode));

    const char expected = checksum(QByteArrayView(packet).chopped(1));
    if (packet.back() != expected) {
        return nack(report + QStringLiteral(", checksum wrong (should be %1)")
                                 .arg(hexBytes(QByteArrayView(&expected, 1))));
    }
    if (body.isEmpty())
        return nack(report + QStringLiteral(", checksum ok, length 0: no command"));
    const uchar opcode = uchar(body.front());
    const QByteArrayView data = body.sliced(1);
    const Command *command = findCommand(opcode);
    report += command ? QStringLiteral(", %1").arg(command->name)
                      : QStringLiteral(", opcode %1").arg(hexBytes(body.first(1)));
    report += data.isEmpty() ? QStringLiteral(", no data")
                             : QStringLiteral(", data %1").arg(hexBytes(data));
    report += QStringLiteral(", checksum ok");

    if (target != m_address)
        return {report +
                    QStringLiteral(": not this controller (address %1) -> no reply").arg(m_address),
                {}};
    if (!command)
        return nack(report + QStringLiteral(": unknown command"));
    if (mode > 2)
        return nack(report + QStringLiteral(": unknown response mode"));

    QString refusal;
    const auto outcome = carryOut(opcode, data, &refusal);
    if (!outcome)
        return nack(report + QStringLiteral(": ") + refusal);
    report += QStringLiteral(": ") + outcome->text;
    if (mode == 0)
        return {report + QStringLiteral(" -> no reply (response none)"), {}};
    QByteArray reply;
    if (mode == 2)
        reply = outcome->message + '\r';
    reply.append(kAck);
    return {report + QStringLiteral(" -> %1").arg(visible(reply)), reply};
}

std::optional<ShowControllerDevice::Outcome>
ShowControllerDevice::carryOut(uchar opcode, QByteArrayView data, QString *refusal)
{
    const Command &command = *findCommand(opcode);
    const int operands = operandCount(command);
    const bool optionalOperands = opcode == kSendVar && data.isEmpty();
    const bool lengthFits =
        command.text ? data.size() > operands : data.size() == operands || optionalOperands;
    if (!lengthFits) {
        *refusal = QStringLiteral("length %1 does not fit %2 (%3%4 data bytes)")
                       .arg(QString::number(data.size() + 1), QString::fromLatin1(command.name),
                            command.text ? QStringLiteral("more than ") : QString(),
                            QString::number(operands));
        return std::nullopt;
    }
    QStringList parts;
    const Operand kinds[] = {command.first, command.second};
    for (int i = 0; i < operands && i < data.size(); ++i) {
        const QString text = operandText(kinds[i], uchar(data[i]));
        if (text.isEmpty()) {
            *refusal = QStringLiteral("%1 byte %2 out of range")
                           .arg(operandName(kinds[i]), hexBytes(data.sliced(i, 1)));
            return std::nullopt;
        }
        parts.append(text);
    }
    const QByteArrayView text = operands < data.size() ? data.sliced(operands) : QByteArrayView();
    const QString name = QString::fromLatin1(command.name);

    switch (opcode) {
    case 0x02:
    case 0x03:
    case 0x06: {
        bool &state = m_states[uchar(data[0])];
        state = opcode == 0x02 ? true : opcode == 0x03 ? false : !state;
        const QString done = QStringLiteral("%1 %2").arg(parts[0], state ? "on" : "off");
        return Outcome{done, done.toLatin1()};
    }
    case 0x0C:
        return Outcome{QStringLiteral("display \"%1\"").arg(visible(text)), "displayed"};
    case 0x0D:
        return Outcome{QStringLiteral("send \"%1\" out of %2").arg(visible(text), parts[0]),
                       "message sent"};
    case kSendVar: {
        if (optionalOperands)
            return Outcome{QStringLiteral("send a variable (none named)"), "no variable named"};
        const QString sent =
            QStringLiteral("%1 = %2").arg(parts[1]).arg(m_variables[uchar(data[1])]);
        return Outcome{QStringLiteral("send %1 out of %2").arg(sent, parts[0]), sent.toLatin1()};
    }
    case 0x1C: {
        const int first = uchar(data[0]) * kFlagsPerBank;
        QByteArray bits;
        for (int i = 0; i < kFlagsPerBank; ++i)
            bits.append(m_states[kOutputs + first + i] ? '1' : '0');
        return Outcome{
            QStringLiteral("show flags of %1").arg(parts[0]),
            QStringLiteral("flags %1-%2: ").arg(first + 1).arg(first + kFlagsPerBank).toLatin1() +
                bits};
    }
    case 0x3A: {
        const QString shown =
            QStringLiteral("%1 = %2").arg(parts[0]).arg(m_variables[uchar(data[0])]);
        return Outcome{QStringLiteral("show %1").arg(shown), shown.toLatin1()};
    }
    case 0x42:
        return Outcome{QStringLiteral("send the version"), "SHOWCTL SIM 1.0"};
    case 0x28:
    case 0x2F:
    case 0x30:
    case 0x31:
    case 0x38:
    case 0x39:
        return carryOutVariable(opcode, data);
    default:
        break;
    }
    const QString done = QStringLiteral("%1 %2").arg(name, parts.join(u' ')).toLower();
    return Outcome{done, done.toLatin1()};
}

ShowControllerDevice::Outcome ShowControllerDevice::carryOutVariable(uchar opcode,
                                                                     QByteArrayView data)
{
    // A variable operand has its own opcode, nine above the number operand's.
    const bool fromVariable = opcode == 0x31 || opcode == 0x38 || opcode == 0x39;
    const uchar base = fromVariable ? uchar(opcode - 9) : opcode;
    uchar &variable = m_variables[uchar(data[0])];
    const uchar operand = fromVariable ? m_variables[uchar(data[1])] : uchar(data[1]);
    const QString source = fromVariable ? QStringLiteral("variable %1").arg(uchar(data[1]) + 1)
                                        : QString::number(uchar(data[1]));
    QString sign;
    if (base == 0x28) {
        variable = operand;
        sign = QStringLiteral("=");
    } else if (base == 0x2F) {
        variable = uchar(variable + operand);
        sign = QStringLiteral("+=");
    } else {
        variable = uchar(variable - operand);
        sign = QStringLiteral("-=");
    }
    const QString done = QStringLiteral("variable %1 %2 %3 (now %4)")
                             .arg(uchar(data[0]) + 1)
                             .arg(sign, source)
                             .arg(variable);
    return {done, done.toLatin1()};
}

} // namespace zentrel::sim
