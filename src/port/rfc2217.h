#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <array>

// The client's side of telnet with RFC 2217's COM-PORT-OPTION, on bytes alone: the server's bytes go in and
// come out as the device's data and as events; requests come out as bytes for the server.
class Rfc2217Client
{
public:
    // Client-to-server command codes; the server answers each with the code plus 100.
    enum class Command : quint8
    {
        SetBaudRate = 1,
        SetDataSize = 2,
        SetParity = 3,
        SetStopSize = 4,
        SetControl = 5,
        NotifyLineState = 6,
        NotifyModemState = 7,
        FlowControlSuspend = 8,
        FlowControlResume = 9,
        SetLineStateMask = 10,
        SetModemStateMask = 11,
        PurgeData = 12
    };
    // Values on the wire.
    enum ParityCode : quint8
    {
        ParityNone = 1,
        ParityOdd = 2,
        ParityEven = 3,
        ParityMark = 4,
        ParitySpace = 5
    };
    enum ControlCode : quint8
    {
        DtrOn = 8,
        DtrOff = 9,
        RtsOn = 11,
        RtsOff = 12
    };
    struct Event
    {
        enum class Kind
        {
            ComPortAgreed,
            ComPortRefused,
            Answer,
            LineState,
            ModemState,
            FlowSuspend,
            FlowResume
        };
        Kind kind;
        Command command = {}; // Answer: the request answered (server code minus 100)
        quint32 value = 0;    // Answer: its value (4 bytes for baud, else 1); Line/ModemState: the state byte
        friend bool operator==(const Event &, const Event &) = default;
    };

    // The client's opening offers: WILL COM-PORT-OPTION, and BINARY and SGA in both directions.
    QByteArray start();
    // The server's bytes, in pieces of any size (a command may be split anywhere); returns the device's data
    // with telnet's escaping undone. Replies owed to the server go to takeReplies(), events to takeEvents().
    QByteArray receive(QByteArrayView bytes);
    QList<Event> takeEvents();
    // Negotiation replies owed to the server since the last call.
    QByteArray takeReplies();
    // One request: IAC SB 44 command value IAC SE, a 0xFF in the value doubled. SetBaudRate takes 4 bytes in
    // network order, the flow control suspend and resume none, every other command 1 byte.
    static QByteArray request(Command command, quint32 value = 0);
    bool comPortAgreed() const;

private:
    enum class Mode
    {
        Data,
        Verb,
        Subnegotiation,
        SubnegotiationIac,
        Iac
    };
    enum class Option : quint8
    {
        No,
        Asked,
        Yes
    };

    void negotiate(quint8 verb, quint8 option);
    void subnegotiation();

    Mode m_mode = Mode::Data;
    quint8 m_verb = 0;
    QByteArray m_subnegotiation;
    // BINARY, SGA and COM-PORT-OPTION: on our side, then on the server's.
    std::array<Option, 3> m_ours{};
    std::array<Option, 3> m_theirs{};
    QByteArray m_replies;
    QList<Event> m_events;
};
