#include "rfc2217.h"

#include <utility>

namespace {

constexpr quint8 Se = 240, Sb = 250, Will = 251, Wont = 252, Do = 253, Dont = 254, Iac = 255;
constexpr quint8 Binary = 0, Sga = 3, ComPortOption = 44;
// A COM-PORT subnegotiation is a few bytes; a longer one is cut so a server cannot grow it without end.
constexpr qsizetype SubnegotiationCap = 256;

// Where an option we take keeps its state; -1 for the rest, which are refused.
int slot(quint8 option)
{
    return option == Binary ? 0 : option == Sga ? 1 : option == ComPortOption ? 2 : -1;
}

} // namespace

QByteArray Rfc2217Client::start()
{
    m_ours.fill(Option::Asked);
    m_theirs = {Option::Asked, Option::Asked, Option::No};
    return QByteArray::fromHex("fffb00fffd00fffb03fffd03fffb2c");
}

QByteArray Rfc2217Client::receive(QByteArrayView bytes)
{
    QByteArray data;
    data.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto c = quint8(byte);
        switch (m_mode) {
        case Mode::Data:
            if (c == Iac)
                m_mode = Mode::Iac;
            else
                data.append(byte);
            break;
        case Mode::Verb:
            negotiate(m_verb, c);
            m_mode = Mode::Data;
            break;
        case Mode::Subnegotiation:
            if (c == Iac)
                m_mode = Mode::SubnegotiationIac;
            else if (m_subnegotiation.size() < SubnegotiationCap)
                m_subnegotiation.append(byte);
            break;
        case Mode::SubnegotiationIac:
            if (c == Se) {
                subnegotiation();
                m_mode = Mode::Data;
                break;
            }
            if (c == Iac) {
                if (m_subnegotiation.size() < SubnegotiationCap)
                    m_subnegotiation.append(byte);
                m_mode = Mode::Subnegotiation;
                break;
            }
            // Any other command ends a subnegotiation that lost its IAC SE, and is taken as itself.
            [[fallthrough]];
        case Mode::Iac:
            m_mode = Mode::Data;
            if (c == Iac) {
                data.append(byte);
            } else if (c == Sb) {
                m_subnegotiation.clear();
                m_mode = Mode::Subnegotiation;
            } else if (c >= Will) {
                m_verb = c;
                m_mode = Mode::Verb;
            }
            break;
        }
    }
    return data;
}

void Rfc2217Client::negotiate(quint8 verb, quint8 option)
{
    const bool theirs = verb == Will || verb == Wont;
    const bool yes = verb == Will || verb == Do;
    const int index = slot(option);
    // The server may enable COM-PORT-OPTION only on our side: it is the client that sends its commands.
    Option *state = index < 0 || (theirs && option == ComPortOption) ? nullptr
                    : theirs                                         ? &m_theirs[index]
                                                                     : &m_ours[index];
    const auto reply = [&](bool accept) {
        m_replies.append(char(Iac));
        m_replies.append(char(theirs ? (accept ? Do : Dont) : (accept ? Will : Wont)));
        m_replies.append(char(option));
    };
    if (!state) {
        if (yes)
            reply(false);
        return;
    }
    // Only a change asked for by the server is answered; an answer to our own offer, or a repeat, is not.
    const Option was = *state;
    if (yes ? was == Option::No : was == Option::Yes)
        reply(yes);
    *state = yes ? Option::Yes : Option::No;
    if (option == ComPortOption && was != *state)
        m_events.append({yes ? Event::Kind::ComPortAgreed : Event::Kind::ComPortRefused});
}

void Rfc2217Client::subnegotiation()
{
    if (m_subnegotiation.size() < 2 || quint8(m_subnegotiation[0]) != ComPortOption)
        return;
    const auto code = quint8(m_subnegotiation[1]);
    const QByteArrayView value = QByteArrayView(m_subnegotiation).sliced(2);
    switch (code) {
    case 108:
        m_events.append({Event::Kind::FlowSuspend});
        return;
    case 109:
        m_events.append({Event::Kind::FlowResume});
        return;
    }
    const qsizetype width = code == 101 ? 4 : 1;
    if (code <= 100 || code > 112 || value.size() < width)
        return;
    quint32 number = 0;
    for (const char byte : value.first(width))
        number = number << 8 | quint8(byte);
    const auto kind = code == 106   ? Event::Kind::LineState
                      : code == 107 ? Event::Kind::ModemState
                                    : Event::Kind::Answer;
    m_events.append({kind, kind == Event::Kind::Answer ? Command(code - 100) : Command{}, number});
}

QList<Rfc2217Client::Event> Rfc2217Client::takeEvents()
{
    return std::exchange(m_events, {});
}

QByteArray Rfc2217Client::takeReplies()
{
    return std::exchange(m_replies, {});
}

QByteArray Rfc2217Client::request(Command command, quint32 value)
{
    QByteArray bytes = QByteArray::fromHex("fffa2c");
    bytes.append(char(command));
    const int width = command == Command::SetBaudRate                                                   ? 4
                      : command == Command::FlowControlSuspend || command == Command::FlowControlResume ? 0
                                                                                                        : 1;
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) {
        const char byte = char(value >> shift);
        bytes.append(byte);
        if (quint8(byte) == Iac)
            bytes.append(byte);
    }
    bytes.append(char(Iac));
    bytes.append(char(Se));
    return bytes;
}

bool Rfc2217Client::comPortAgreed() const
{
    return m_ours[slot(ComPortOption)] == Option::Yes;
}
