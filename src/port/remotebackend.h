#pragma once

#include "backend.h"
#include "namelookup.h"
#include "rfc2217.h"

#include <QHostAddress>
#include <QTimer>
#include <array>
#include <memory>

class QTcpSocket;

// A port that another machine serves, "rfc2217://HOST:PORT" or "tcp://HOST:PORT", on a TCP socket in the UI
// thread's event loop; every request it sends has an answer or a timeout of its own.
class RemoteBackend : public SerialBackend
{
    Q_OBJECT

public:
    // From the connect to an agreed COM-PORT option and answered settings, whatever the server does
    // meanwhile; also how long a line change waits for the server to confirm it.
    static constexpr int AnswerTimeoutMs = 5000;

    // Without a lookup of the caller's, Qt's own.
    explicit RemoteBackend(NameLookup *lookup = nullptr, QObject *parent = nullptr);
    ~RemoteBackend() override;

    // Answers once the server has agreed RFC 2217 and answered the settings, or once connected for raw TCP.
    void open(const PortAddress &address, const LineSettings &settings) override;
    // Asks the server for the settings on the session open now; the server keeps the device open meanwhile.
    void reconfigure(const LineSettings &settings) override;
    void close() override;
    std::optional<bool> isOpen() const override { return m_phase == Phase::Open; }
    void setDtr(bool raised) override;
    void setRts(bool raised) override;
    QByteArray readAvailable() override;
    qsizetype discardInput() override;
    std::optional<LineSettings> settingsInForce() const override;
    QStringList notes() const override;
    DeviceStatus deviceStatus() override;

private:
    enum class Phase
    {
        Idle,
        LookingUp,
        Connecting,
        Agreeing,
        Open
    };
    enum Line
    {
        Dtr,
        Rts
    };
    // The change last asked of a line; its timer runs while the server owes the answer.
    struct LineRequest
    {
        bool raised = false;
        bool unconfirmed = false;
        QTimer answer;
    };

    void onFound(const QList<QHostAddress> &addresses);
    void connectNext();
    void onConnected();
    void onSocketError();
    void onDisconnected();
    void pump();
    void handle(const Rfc2217Client::Event &event);
    void onAnswer(Rfc2217Client::Command command, quint32 value);
    void askSettings();
    void sendLine(Line line, bool raised);
    void send(Rfc2217Client::Command command, quint32 value);
    void fail(SerialError failure);
    void finishOpen();
    void answerLater(std::optional<SerialError> failure);
    bool isRfc2217() const { return m_address.kind() == PortAddress::Kind::Rfc2217; }

    std::unique_ptr<QtNameLookup> m_ownLookup;
    NameLookup *m_lookup;
    QTcpSocket *m_socket; // a Qt child
    Rfc2217Client m_telnet;
    PortAddress m_address;
    Phase m_phase = Phase::Idle;
    quint64 m_attempt = 0;           // answers of an earlier lookup or open are stale
    QList<QHostAddress> m_addresses; // not yet tried
    bool m_agreed = false;           // the server answered a setting
    bool m_heardFrom = false;        // the server spoke before it answered one
    bool m_refusedEverywhere = true;
    LineSettings m_asked;
    LineSettings m_inForce;
    int m_settingsAwaited = 0; // a bit for each setting, in the order they are asked
    std::array<LineRequest, 2> m_lines;
    QByteArray m_received;
    QTimer m_deadline;
    // As the server last notified them.
    DeviceStatus m_status;
};
