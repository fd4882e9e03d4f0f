#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace zentrel::showctl {

inline constexpr int kLowestTarget = 0;
inline constexpr int kHighestTarget = 121;
inline constexpr int kVariables = 26;
inline constexpr int kOutputs = 64;
inline constexpr int kMaxBody = 255;

// Label widths in twips when no command widens them.
inline constexpr int kData1LabelWidth = 1575;
inline constexpr int kData2LabelWidth = 1455;

// The response modes as the panel lists them; a mode's byte on the wire is
// its place in the list.
inline constexpr char kResponseModeItems[] = "None|ACK, NACK|Msg.+ACK,NACK";

// How one data value is chosen on the panel and becomes bytes on the wire.
enum class Form {
    None,         // the position stays empty
    Index,        // counted from 1 by the operator, from 0 by the controller
    Plain,        // sent as chosen
    Frames,       // "25 Frames": sent as chosen
    OutputOrFlag, // one number space on the wire: outputs 0-63, flags 64-127
    Operand,      // a plain value, or "Variable n" with the opcode's variable twin
    Message,      // custom string notation; `high` is the most bytes that fit
};

// One data position of a command: its form, the range the operator chooses
// from, its label and, where a command widens it, the label's width.
struct Value
{
    Form form = Form::None;
    int low = 0;
    int high = 0;
    const char *caption = "";
    int labelWidth = 0; // twips; 0: the position's own width
};

// One command of the panel's menu, the one place its name, opcode, ranges
// and captions are written.
struct Command
{
    const char *name;
    quint8 opcode;
    Value data1;
    Value data2;
};

// In menu order.
inline constexpr Command kCommands[] = {
    {"AddVar",
     0x2F,
     {Form::Index, 1, kVariables, "Variable Index"},
     {Form::Operand, 0, 255, "Value or Variable Index", 1905}},
    {"Blink",
     0x04,
     {Form::Index, 1, kOutputs, "Output Index"},
     {Form::Frames, 1, 255, "Blink Period"}},
    {"Display", 0x0C, {Form::Message, 0, kMaxBody - 1, "Display Message", 4695}, {}},
    {"MessageOut",
     0x0D,
     {Form::Plain, 1, 18, "Serial Port"},
     {Form::Message, 0, kMaxBody - 2, "Message", 2895}},
    {"Off", 0x03, {Form::OutputOrFlag, 1, kOutputs, "Output or Flag Index", 1710}, {}},
    {"On", 0x02, {Form::OutputOrFlag, 1, kOutputs, "Output or Flag Index", 1710}, {}},
    {"Outport", 0x20, {Form::Index, 1, 2, "Output Bank Index"}, {Form::Plain, 0, 255, "Value"}},
    {"Pause", 0x1A, {Form::Index, 1, 256, "Sequence Index"}, {}},
    {"Pulse",
     0x05,
     {Form::Index, 1, kOutputs, "Output Index"},
     {Form::Frames, 1, 255, "Pulse Duration"}},
    {"Reset", 0x1B, {Form::Index, 1, 256, "Sequence Index"}, {}},
    // The port as chosen, then the variable counted from 0, as everywhere.
    {"SendVar",
     0x13,
     {Form::Plain, 1, 18, "Serial Port"},
     {Form::Index, 1, kVariables, "Variable Index"}},
    {"SendVersion", 0x42, {}, {}},
    {"SetVarEQ",
     0x28,
     {Form::Index, 1, kVariables, "Variable Index"},
     {Form::Operand, 0, 255, "Value or Variable Index", 1905}},
    {"ShowFlags", 0x1C, {Form::Index, 1, 2, "Flag Bank"}, {}},
    {"ShowVar", 0x3A, {Form::Index, 1, kVariables, "Variable Index"}, {}},
    {"Start", 0x18, {Form::Index, 1, 256, "Sequence Index"}, {}},
    {"Stop", 0x19, {Form::Index, 1, 256, "Sequence Index"}, {}},
    {"SubVar",
     0x30,
     {Form::Index, 1, kVariables, "Variable Index"},
     {Form::Operand, 0, 255, "Value or Variable Index", 1905}},
    {"Toggle", 0x06, {Form::OutputOrFlag, 1, kOutputs, "Output or Flag Index", 1710}, {}},
};

// The command of that name (compared exactly), or nothing.
const Command *findCommand(const QString &name);

QStringList commandNames();
QStringList targetAddresses();
const QStringList &responseModes();

// What one data position of the panel offers.
enum class FieldKind {
    None, // nothing shown, the label hidden and blank
    List, // a pick-only list of `items`
    Text, // a free text field in the custom string notation
};

struct DataField
{
    FieldKind kind = FieldKind::None;
    QString caption;
    QStringList items;
    int labelWidth = 0; // twips
};

// The two data positions a command shows.
struct CommandLayout
{
    DataField data1;
    DataField data2;
};

// The layout for a command name (compared exactly); nothing for a name that
// is not on the menu.
std::optional<CommandLayout> commandLayout(const QString &command);

} // namespace zentrel::showctl
