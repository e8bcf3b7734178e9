#pragma once

#include "backend.h"

#include <QTimer>
#include <functional>
#include <memory>

class GensioLoop;
struct NetworkLink;
struct NetworkMailbox;
struct sergensio;

// A port that another machine serves, "rfc2217://HOST:PORT" or "tcp://HOST:PORT", through gensio: its event
// loop runs on a thread of its own and hands every event to this object's thread by queued calls.
class NetworkBackend : public SerialBackend
{
    Q_OBJECT

public:
    // Numeric addresses for a host name, asked on gensio's thread; empty when the name is unknown.
    using Resolver = std::function<QStringList(const QString &host)>;
    // A server that has not agreed the settings by then is given up.
    static constexpr int AnswerTimeoutMs = 5000;

    explicit NetworkBackend(Resolver resolver = {}, QObject *parent = nullptr);
    ~NetworkBackend() override;

    // Answers once the server has agreed RFC 2217 and the settings, or once connected for raw TCP. The same
    // HOST:PORT as the session kept since close() is applied to that session, so the server keeps the device
    // open and its lines where they were.
    void open(const QString &device, const LineSettings &settings) override;
    // Keeps the session for a reopen of the same port; what arrives meanwhile is dropped, as by a closed
    // port.
    void close() override;
    std::optional<bool> isOpen() const override;
    void setDtr(bool raised) override;
    void setRts(bool raised) override;
    QByteArray readAvailable() override;
    qsizetype discardInput() override;
    std::optional<LineSettings> settingsInForce() const override;
    QStringList notes() const override;

    // Ends the session kept since close(), as a port of another kind takes over.
    void release();

private:
    enum class Phase
    {
        None,
        Connecting,
        Agreeing,
        Open
    };
    enum Setting
    {
        Baud,
        DataBits,
        Parity,
        StopBits,
        Dtr,
        Rts
    };

    void startLink(const RemotePort &target);
    void dropLink();
    void startAgreeing();
    void sendSettings();
    void sendLine(Setting which, bool raised);
    // gensio's setting and line requests share one shape: the value, then where the answer goes.
    using Ask = int (*)(sergensio *, unsigned, void (*)(sergensio *, int, unsigned, void *), void *);
    static int ask(const std::shared_ptr<NetworkLink> &link, quint64 round, Setting which, Ask call,
                   unsigned value);
    void fail(SerialError failure);
    void onConnected(int error);
    void onNotAgreed();
    void onAnswer(quint64 round, Setting which, int error, unsigned value);
    void onClosed();
    void onData();
    void onDeadline();
    void finishOpen();
    bool isRfc2217() const;
    static bool isPlausible(Setting which, unsigned value);
    unsigned askedValue(Setting which) const;
    void record(Setting which, unsigned value);

    Resolver m_resolver;
    std::shared_ptr<NetworkMailbox> m_mailbox;
    std::shared_ptr<GensioLoop> m_loop; // started at the first remote open
    std::shared_ptr<NetworkLink> m_link;
    RemotePort m_target;
    Phase m_phase = Phase::None;
    bool m_attached = false;  // opened, or being opened, by the port component
    bool m_agreed = false;    // the server took a setting request: COM-PORT is agreed
    bool m_heardFrom = false; // bytes came before the settings were agreed
    LineSettings m_asked;
    LineSettings m_inForce;
    quint64 m_round = 0; // settings answers of earlier rounds are stale
    int m_answered = 0;  // bits of Setting
    int m_unconfirmed = 0;
    QTimer m_deadline;
    QTimer m_retry;
};
