#include "serial/telnetcodec.h"

#include <algorithm>
#include <cstring>

namespace zentrel {

namespace {

constexpr char kIac = char(255);
constexpr quint8 kDont = 254;
constexpr quint8 kDo = 253;
constexpr quint8 kWont = 252;
constexpr quint8 kWill = 251;
constexpr quint8 kSb = 250;
constexpr quint8 kSe = 240;

// COM-port commands from the client; the server answers each with its
// number plus 100.
constexpr quint8 kSetBaudRate = 1;
constexpr quint8 kSetDataSize = 2;
constexpr quint8 kSetParity = 3;
constexpr quint8 kSetStopSize = 4;
constexpr quint8 kSetControl = 5;
constexpr quint8 kServerOffset = 100;

constexpr quint8 kParityNone = 1;
constexpr quint8 kOneStopBit = 1;
constexpr quint8 kNoFlowControl = 1;
constexpr quint8 kDtrOn = 8;
constexpr quint8 kRtsOn = 11;

bool clientDoes(quint8 option)
{
    return option == TelnetCodec::kBinary || option == TelnetCodec::kSuppressGoAhead ||
           option == TelnetCodec::kComPort;
}

bool serverShouldDo(quint8 option)
{
    return option == TelnetCodec::kBinary || option == TelnetCodec::kSuppressGoAhead;
}

void command(QByteArray &out, quint8 verb, quint8 option)
{
    out.append(kIac).append(char(verb)).append(char(option));
}

void comPort(QByteArray &out, quint8 code, QByteArrayView value)
{
    out.append(kIac).append(char(kSb)).append(char(TelnetCodec::kComPort)).append(char(code));
    for (const char c : value) {
        out.append(c);
        if (c == kIac)
            out.append(kIac);
    }
    out.append(kIac).append(char(kSe));
}

} // namespace

QByteArray TelnetCodec::start()
{
    *this = TelnetCodec();
    QByteArray requests;
    for (const quint8 option : {kBinary, kSuppressGoAhead}) {
        m_us[option] = m_him[option] = Side::Asked;
        command(requests, kWill, option);
        command(requests, kDo, option);
    }
    m_us[kComPort] = Side::Asked;
    command(requests, kWill, kComPort);
    return requests;
}

QByteArray TelnetCodec::decode(QByteArrayView bytes, QByteArray &reply)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        const auto byte = static_cast<quint8>(c);
        switch (m_state) {
        case State::Data: {
            // The bytes up to the next command at once: a flood is mostly them.
            const auto *from = bytes.data() + i;
            const auto *iac =
                static_cast<const char *>(std::memchr(from, kIac, size_t(bytes.size() - i)));
            const qsizetype run = iac ? iac - from : bytes.size() - i;
            data(QByteArrayView(from, run), out);
            i += run;
            if (iac)
                m_state = State::Command;
            break;
        }
        case State::Command:
            if (c == kIac) {
                data(QByteArrayView(&c, 1), out);
                m_state = State::Data;
            } else if (byte >= kWill && byte <= kDont) {
                m_verb = byte;
                m_state = State::Option;
            } else if (byte == kSb) {
                m_sub.clear();
                m_subDropped = false;
                m_state = State::Sub;
            } else {
                // NOP, go-ahead, data mark and the like, or no command at all.
                m_state = State::Data;
            }
            break;
        case State::Option:
            negotiate(m_verb, byte, reply);
            m_state = State::Data;
            break;
        case State::Sub:
            if (c == kIac)
                m_state = State::SubCommand;
            else
                keep(c);
            break;
        case State::SubCommand:
            if (c == kIac) {
                keep(c);
                m_state = State::Sub;
            } else if (byte == kSe) {
                subnegotiation();
                m_state = State::Data;
            } else {
                // A command inside a sub-negotiation ends it unfinished.
                m_sub.clear();
                m_state = State::Command;
                --i;
            }
            break;
        }
    }
    return out;
}

void TelnetCodec::data(QByteArrayView bytes, QByteArray &out)
{
    if (bytes.isEmpty())
        return;
    if (binaryFromServer()) {
        out.append(bytes);
        return;
    }
    // Without binary transmission a bare CR travels as CR NUL.
    for (const char c : bytes) {
        if (m_afterCr && c == '\0') {
            m_afterCr = false;
            continue;
        }
        out.append(c);
        m_afterCr = c == '\r';
    }
}

void TelnetCodec::keep(char byte)
{
    if (m_sub.size() < kMaxSubnegotiation)
        m_sub.append(byte);
    else
        m_subDropped = true;
}

void TelnetCodec::negotiate(quint8 verb, quint8 option, QByteArray &reply)
{
    Side &us = m_us[option];
    Side &him = m_him[option];
    switch (verb) {
    case kWill:
        if (!serverShouldDo(option)) {
            command(reply, kDont, option);
        } else if (him != Side::Yes) {
            if (him == Side::No)
                command(reply, kDo, option);
            him = Side::Yes;
        }
        break;
    case kWont:
        if (him == Side::Yes)
            command(reply, kDont, option);
        him = Side::No;
        break;
    case kDo:
        if (!clientDoes(option)) {
            command(reply, kWont, option);
        } else if (us != Side::Yes) {
            if (us == Side::No)
                command(reply, kWill, option);
            us = Side::Yes;
            if (option == kComPort)
                requestSettings(reply);
        }
        break;
    case kDont:
        if (us == Side::Yes)
            command(reply, kWont, option);
        us = Side::No;
        if (option == kComPort)
            m_awaited.fill(0);
        break;
    default:
        break;
    }
}

void TelnetCodec::requestSettings(QByteArray &reply)
{
    static constexpr char kBaud9600[] = {0, 0, 0x25, char(0x80)};
    comPort(reply, kSetBaudRate, QByteArrayView(kBaud9600, 4));
    comPort(reply, kSetDataSize, QByteArrayView("\x08", 1));
    comPort(reply, kSetParity, QByteArrayView(reinterpret_cast<const char *>(&kParityNone), 1));
    comPort(reply, kSetStopSize, QByteArrayView(reinterpret_cast<const char *>(&kOneStopBit), 1));
    for (const quint8 control : {kNoFlowControl, kDtrOn, kRtsOn})
        comPort(reply, kSetControl, QByteArrayView(reinterpret_cast<const char *>(&control), 1));
    m_awaited.fill(0);
    m_awaited[kSetBaudRate] = m_awaited[kSetDataSize] = m_awaited[kSetParity] =
        m_awaited[kSetStopSize] = 1;
    m_awaited[kSetControl] = 3;
}

void TelnetCodec::subnegotiation()
{
    // Notifications of line and modem state, flow control and signatures
    // tell nothing the terminal shows; only the acknowledgements count.
    if (m_subDropped || m_sub.size() < 2 || static_cast<quint8>(m_sub[0]) != kComPort)
        return;
    const auto code = static_cast<quint8>(m_sub[1]);
    if (code < kServerOffset || code - kServerOffset >= int(m_awaited.size()))
        return;
    auto &awaited = m_awaited[code - kServerOffset];
    if (awaited > 0)
        --awaited;
}

QByteArray TelnetCodec::encode(QByteArrayView bytes) const
{
    const bool crAlone = !binaryToServer();
    QByteArray wire;
    wire.reserve(bytes.size() + bytes.size() / 16 + 2);
    for (const char c : bytes) {
        wire.append(c);
        if (c == kIac)
            wire.append(kIac);
        else if (c == '\r' && crAlone)
            wire.append('\0');
    }
    return wire;
}

bool TelnetCodec::settled() const
{
    for (const quint8 option : {kBinary, kSuppressGoAhead, kComPort}) {
        if (m_us[option] == Side::Asked || m_him[option] == Side::Asked)
            return false;
    }
    return !comPortAgreed() ||
           std::all_of(m_awaited.begin(), m_awaited.end(), [](quint8 n) { return n == 0; });
}

} // namespace zentrel
