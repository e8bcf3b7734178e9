#include "networkbackend.h"

#include <QMetaObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <limits>
#include <mutex>
#include <netdb.h>
#include <optional>
#include <sys/socket.h>
#include <thread>

#include "gensiolibrary.h"

#include <gensio/gensio_err.h>

namespace {

// Beyond this much unread, reads stop and TCP holds the rest back at the server.
constexpr qsizetype ReadAhead = 64 * 1024;
// RFC 2217 needs the COM-PORT option agreed first; until then gensio refuses setting requests.
constexpr int AgreeRetryMs = 100;
// Closing a connection only shuts its socket, which takes milliseconds even under the sanitizers on a loaded
// machine. The bound is for a close that never completes: the loop ends as the program exits, which must not
// wait on it for long.
constexpr std::chrono::seconds CloseBound{5};

QStringList systemResolver(const QString &host)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    QStringList addresses;
    if (::getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &found) != 0)
        return addresses;
    for (addrinfo *each = found; each; each = each->ai_next) {
        char text[NI_MAXHOST];
        if (::getnameinfo(each->ai_addr, each->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST) ==
            0)
            addresses << QString::fromLatin1(text);
    }
    ::freeaddrinfo(found);
    addresses.removeDuplicates();
    return addresses;
}

::Parity parityFromGensio(unsigned value)
{
    switch (value) {
    case SERGENSIO_PARITY_ODD:
        return ::Parity::Odd;
    case SERGENSIO_PARITY_EVEN:
        return ::Parity::Even;
    case SERGENSIO_PARITY_MARK:
        return ::Parity::Mark;
    case SERGENSIO_PARITY_SPACE:
        return ::Parity::Space;
    }
    return ::Parity::None;
}

unsigned gensioParity(::Parity parity)
{
    switch (parity) {
    case ::Parity::None:
        return SERGENSIO_PARITY_NONE;
    case ::Parity::Even:
        return SERGENSIO_PARITY_EVEN;
    case ::Parity::Odd:
        return SERGENSIO_PARITY_ODD;
    case ::Parity::Space:
        return SERGENSIO_PARITY_SPACE;
    case ::Parity::Mark:
        return SERGENSIO_PARITY_MARK;
    }
    return SERGENSIO_PARITY_NONE;
}

void discardLog(gensio_os_funcs *, gensio_log_levels, const char *, va_list) {}

// Called only once a loop has been made, which the library's absence prevents.
const GensioLibrary &api()
{
    return *gensioLibrary();
}

} // namespace

// gensio's event loop on a thread of its own. Every gensio call is made on that thread, so the UI thread
// never races a callback; gensio wakes the thread with its signal when work is posted.
class GensioLoop
{
public:
    GensioLoop()
    {
        if (!gensioLibrary() || api().gensio_default_os_hnd(GENSIO_DEF_WAKE_SIG, &funcs) != 0) {
            funcs = nullptr;
            return;
        }
        api().gensio_os_funcs_set_vlog(funcs, discardLog);
        m_waiter = api().gensio_os_funcs_alloc_waiter(funcs);
        m_runner = api().gensio_os_funcs_alloc_runner(funcs, &GensioLoop::runPosted, this);
        m_thread = std::thread([this] { run(); });
        std::unique_lock lock(m_mutex);
        m_started.wait(lock, [this] { return m_ready; });
    }

    ~GensioLoop()
    {
        if (!funcs)
            return;
        post([this] { m_stopping = true; });
        m_thread.join();
        api().gensio_os_funcs_free_runner(funcs, m_runner);
        api().gensio_os_funcs_free_waiter(funcs, m_waiter);
        api().gensio_os_funcs_free(funcs);
    }

    // Runs the work on the loop's thread, in the order posted.
    void post(std::function<void()> work)
    {
        bool idle = false;
        {
            const std::lock_guard lock(m_mutex);
            m_posted.push_back(std::move(work));
            idle = !std::exchange(m_scheduled, true);
        }
        // gensio declines to free a runner still waiting to run, and never runs it once the loop has ended:
        // the runner is asked for only when idle, so that the loop knows when it may end.
        if (idle)
            api().gensio_os_funcs_run(funcs, m_runner);
    }

    gensio_os_funcs *funcs = nullptr;
    // Gensios not yet freed; the loop waits for them at its end.
    std::atomic<int> liveGensios = 0;

private:
    void run()
    {
        // Signal handling as gensio wants it for a loop woken from other threads; confined to this thread's
        // mask, while the wake signal's empty handler is the process's.
        // A write to a socket the server has closed raises SIGPIPE on this thread: blocked here, and while
        // the loop waits too, or its default action would end the program.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        gensio_os_proc_data *procData = nullptr;
        api().gensio_os_proc_setup(funcs, &procData);
        sigaddset(api().gensio_os_proc_unix_get_wait_sigset(procData), SIGPIPE);
        {
            const std::lock_guard lock(m_mutex);
            m_ready = true;
        }
        m_started.notify_one();
        // A loop that is stopping waits for its gensios to close and for its runner to have run, waking by
        // itself to look.
        std::optional<std::chrono::steady_clock::time_point> giveUp;
        for (;;) {
            if (m_stopping) {
                const auto now = std::chrono::steady_clock::now();
                if (!giveUp)
                    giveUp = now + CloseBound;
                if (!isScheduled() && (liveGensios == 0 || now >= *giveUp))
                    break;
            }
            gensio_time tick{0, 100'000'000};
            api().gensio_os_funcs_wait_intr_sigmask(funcs, m_waiter, 1, m_stopping ? &tick : nullptr,
                                                    procData);
        }
        api().gensio_os_proc_cleanup(procData);
    }

    bool isScheduled()
    {
        const std::lock_guard lock(m_mutex);
        return m_scheduled;
    }

    static void runPosted(gensio_runner *, void *data)
    {
        auto *self = static_cast<GensioLoop *>(data);
        for (;;) {
            std::function<void()> work;
            {
                const std::lock_guard lock(self->m_mutex);
                if (self->m_posted.empty()) {
                    self->m_scheduled = false;
                    break;
                }
                work = std::move(self->m_posted.front());
                self->m_posted.pop_front();
            }
            work();
        }
        // Lets the wait return, so that the loop sees a stop.
        if (self->m_stopping)
            api().gensio_os_funcs_wake(self->funcs, self->m_waiter);
    }

    gensio_waiter *m_waiter = nullptr;
    gensio_runner *m_runner = nullptr;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_started;
    bool m_ready = false;
    std::deque<std::function<void()>> m_posted;
    bool m_scheduled = false; // the runner is asked to run and has not yet found the queue empty
    std::atomic<bool> m_stopping = false;
};

// gensio's process setup (signal handlers and masks) and its OS handler are one per process, and loops
// sharing them would run each other's work: every backend shares one loop, made with the first and ended with
// the last.
std::shared_ptr<GensioLoop> sharedLoop()
{
    static std::mutex mutex;
    static std::weak_ptr<GensioLoop> current;
    const std::lock_guard lock(mutex);
    std::shared_ptr<GensioLoop> loop = current.lock();
    if (!loop) {
        loop = std::make_shared<GensioLoop>();
        current = loop;
    }
    return loop;
}

// Where a backend's links send their events, until the backend is gone.
struct NetworkMailbox
{
    explicit NetworkMailbox(QObject *target) : target(target) {}
    std::mutex mutex;
    QObject *target;
};

// One TCP session, shared by the backend and gensio's thread; its gensio is touched on that thread only, and
// what it tells reaches the backend's thread by queued calls.
struct NetworkLink : std::enable_shared_from_this<NetworkLink>
{
    NetworkLink(GensioLoop &loop, NetworkBackend *owner, std::shared_ptr<NetworkMailbox> mailbox)
        : loop(loop), owner(owner), mailbox(std::move(mailbox))
    {
    }

    GensioLoop &loop;      // ends only once its gensios are closed
    NetworkBackend *owner; // used only by events delivered to it
    std::shared_ptr<NetworkMailbox> mailbox;
    // Called on the owner's thread.
    std::function<void(int error)> connected;
    std::function<void()> notFound;
    std::function<void()> dataArrived;
    std::function<void()> closedByServer;

    // On gensio's thread only.
    QStringList addresses; // not yet tried
    quint16 port = 0;
    bool rfc2217 = true;
    gensio *io = nullptr;
    bool closing = false;
    std::shared_ptr<NetworkLink> self; // held while the gensio exists

    std::mutex mutex;
    QByteArray received;
    bool readsPaused = false;
    bool dataAnnounced = false;

    template <typename F> void toContext(F &&event)
    {
        const std::lock_guard lock(mailbox->mutex);
        if (mailbox->target)
            QMetaObject::invokeMethod(mailbox->target, std::forward<F>(event), Qt::QueuedConnection);
    }

    void connect(const QString &host, quint16 port, bool rfc2217, const NetworkBackend::Resolver &resolver);
    void connectNext();
    void close();
    void resumeReads();
    sergensio *serial() const { return io && !closing ? api().gensio_to_sergensio(io) : nullptr; }

    static int onEvent(gensio *, void *data, int event, int error, unsigned char *buffer, gensiods *size,
                       const char *const *);
};

void NetworkLink::connect(const QString &host, quint16 port, bool rfc2217,
                          const NetworkBackend::Resolver &resolver)
{
    if (closing)
        return;
    addresses = resolver(host);
    if (addresses.isEmpty()) {
        toContext([link = shared_from_this()] { link->notFound(); });
        return;
    }
    this->port = port;
    this->rfc2217 = rfc2217;
    connectNext();
}

// Each address in turn, as a name may give an IPv6 address first to a server listening on IPv4 only.
void NetworkLink::connectNext()
{
    const auto link = shared_from_this();
    if (io) {
        api().gensio_free(io);
        io = nullptr;
        --loop.liveGensios;
    }
    const QString address = addresses.takeFirst();
    const QString family =
        address.contains(QLatin1Char(':')) ? QStringLiteral("ipv6") : QStringLiteral("ipv4");
    const QString stack = QStringLiteral("%1tcp,%2,%3,%4")
                              .arg(rfc2217 ? QStringLiteral("telnet(rfc2217),") : QString(), family, address)
                              .arg(port);
    if (api().str_to_gensio(stack.toLatin1().constData(), loop.funcs, &NetworkLink::onEvent, this, &io) !=
        0) {
        io = nullptr;
        self.reset();
        toContext([link] { link->connected(GE_INVAL); });
        return;
    }
    ++loop.liveGensios;
    self = link;
    const auto opened = [](gensio *io, int error, void *data) {
        auto *link = static_cast<NetworkLink *>(data);
        if (error && !link->closing && !link->addresses.isEmpty()) {
            // Not freed inside its own callback.
            link->loop.post([link = link->shared_from_this()] {
                if (!link->closing)
                    link->connectNext();
            });
            return;
        }
        // Reads are on before any setting request, or gensio never parses the server's answers.
        if (!error && !link->closing)
            api().gensio_set_read_callback_enable(io, true);
        link->toContext([link = link->shared_from_this(), error] { link->connected(error); });
    };
    if (const int error = api().gensio_open(io, opened, this))
        toContext([link, error] { link->connected(error); });
}

void NetworkLink::close()
{
    closing = true;
    if (!io)
        return;
    const auto freeIt = [](gensio *io, void *data) {
        auto *link = static_cast<NetworkLink *>(data);
        api().gensio_free(io);
        link->io = nullptr;
        --link->loop.liveGensios;
        link->self.reset(); // may end the link
    };
    if (api().gensio_close(io, freeIt, this) != 0)
        freeIt(io, this);
}

void NetworkLink::resumeReads()
{
    {
        const std::lock_guard lock(mutex);
        if (!readsPaused || received.size() >= ReadAhead)
            return;
        readsPaused = false;
    }
    if (io && !closing)
        api().gensio_set_read_callback_enable(io, true);
}

int NetworkLink::onEvent(gensio *io, void *data, int event, int error, unsigned char *buffer, gensiods *size,
                         const char *const *)
{
    auto *link = static_cast<NetworkLink *>(data);
    if (event != GENSIO_EVENT_READ)
        return GE_NOTSUP;
    const auto self = link->shared_from_this();
    if (error) {
        api().gensio_set_read_callback_enable(io, false);
        if (!link->closing)
            link->toContext([self] { self->closedByServer(); });
        return 0;
    }
    bool announce = false;
    {
        const std::lock_guard lock(link->mutex);
        link->received.append(reinterpret_cast<const char *>(buffer), qsizetype(*size));
        if (link->received.size() >= ReadAhead) {
            link->readsPaused = true;
            api().gensio_set_read_callback_enable(io, false);
        }
        announce = !std::exchange(link->dataAnnounced, true);
    }
    if (announce)
        link->toContext([self] { self->dataArrived(); });
    return 0;
}

NetworkBackend::NetworkBackend(Resolver resolver, QObject *parent)
    : SerialBackend(parent), m_resolver(resolver ? std::move(resolver) : Resolver(systemResolver)),
      m_mailbox(std::make_shared<NetworkMailbox>(this))
{
    m_deadline.setSingleShot(true);
    m_deadline.setInterval(AnswerTimeoutMs);
    connect(&m_deadline, &QTimer::timeout, this, &NetworkBackend::onDeadline);
    m_retry.setSingleShot(true);
    m_retry.setInterval(AgreeRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &NetworkBackend::sendSettings);
}

NetworkBackend::~NetworkBackend()
{
    dropLink();
    {
        const std::lock_guard lock(m_mailbox->mutex);
        m_mailbox->target = nullptr;
    }
    // The last backend joins the loop once every gensio is closed and freed.
    m_loop.reset();
}

bool NetworkBackend::isRfc2217() const
{
    return m_target.protocol == RemotePort::Protocol::Rfc2217;
}

void NetworkBackend::open(const QString &device, const LineSettings &settings)
{
    const auto target = remotePort(device);
    if (!target) {
        emit openFinished(SerialError::NoSuchDevice);
        return;
    }
    m_asked = settings;
    m_attached = true;
    if (m_link && m_target == *target) {
        // The kept session: the server still holds the device, so only the settings are applied again.
        {
            const std::lock_guard lock(m_link->mutex);
            m_link->received.clear();
        }
        const auto link = m_link;
        m_loop->post([link] { link->resumeReads(); });
        if (m_phase == Phase::Connecting)
            return;
        if (!isRfc2217()) {
            finishOpen();
            return;
        }
        startAgreeing();
        return;
    }
    startLink(*target);
}

void NetworkBackend::startLink(const RemotePort &target)
{
    dropLink();
    if (!m_loop)
        m_loop = sharedLoop();
    if (!m_loop->funcs) {
        emit openFinished(SerialError::Io);
        return;
    }
    m_target = target;
    m_phase = Phase::Connecting;
    m_agreed = false;
    m_heardFrom = false;
    m_unconfirmed = 0;
    auto link = std::make_shared<NetworkLink>(*m_loop, this, m_mailbox);
    const std::weak_ptr<NetworkLink> weak = link;
    // Each event is for the current link only; one from a link dropped meanwhile is stale.
    const auto current = [this, weak] { return !weak.expired() && weak.lock() == m_link; };
    link->connected = [this, current](int error) {
        if (current())
            onConnected(error);
    };
    link->notFound = [this, current] {
        if (current())
            fail(SerialError::HostNotFound);
    };
    link->dataArrived = [this, current] {
        if (current())
            onData();
    };
    link->closedByServer = [this, current] {
        if (current())
            onClosed();
    };
    m_link = link;
    m_deadline.start();
    m_loop->post([link, host = target.host, port = target.port, rfc2217 = isRfc2217(),
                  resolver = m_resolver] { link->connect(host, port, rfc2217, resolver); });
    emit notesChanged();
}

void NetworkBackend::dropLink()
{
    m_deadline.stop();
    m_retry.stop();
    m_phase = Phase::None;
    if (!m_link)
        return;
    m_loop->post([link = std::move(m_link)] { link->close(); });
    m_link.reset();
}

void NetworkBackend::fail(SerialError failure)
{
    const bool attached = std::exchange(m_attached, false);
    dropLink();
    if (attached)
        emit openFinished(failure);
}

void NetworkBackend::onConnected(int error)
{
    if (error) {
        // ser2net may hang up on a second user before the telnet open completes.
        fail(error == GE_CONNREFUSE ? SerialError::ConnectionRefused
             : error == GE_REMCLOSE ? SerialError::ServerBusy
                                    : SerialError::NoAnswer);
        return;
    }
    if (!isRfc2217()) {
        finishOpen();
        return;
    }
    startAgreeing();
}

void NetworkBackend::startAgreeing()
{
    m_phase = Phase::Agreeing;
    m_answered = 0;
    m_deadline.start();
    sendSettings();
}

void NetworkBackend::sendSettings()
{
    if (m_phase != Phase::Agreeing || !m_link)
        return;
    const quint64 round = ++m_round;
    const LineSettings asked = m_asked;
    m_loop->post([link = m_link, round, asked] {
        sergensio *serial = link->serial();
        if (!serial)
            return;
        const auto ask = [&](Setting which, Ask call, unsigned value) {
            return NetworkBackend::ask(link, round, which, call, value);
        };
        // Until the server has agreed COM-PORT the first request is refused, and the round is tried again.
        if (ask(Baud, api().sergensio_baud, unsigned(asked.baudRate)) == GE_NOTSUP) {
            link->toContext([link, round] {
                if (round == link->owner->m_round && link == link->owner->m_link)
                    link->owner->onNotAgreed();
            });
            return;
        }
        ask(DataBits, api().sergensio_datasize, unsigned(asked.dataBits));
        ask(Parity, api().sergensio_parity, gensioParity(asked.parity));
        ask(StopBits, api().sergensio_stopbits, unsigned(asked.stopBits));
    });
}

bool NetworkBackend::isPlausible(Setting which, unsigned value)
{
    switch (which) {
    case Baud:
        return value > 0 && value <= unsigned(std::numeric_limits<qint32>::max());
    case DataBits:
        return value >= 5 && value <= 8;
    case Parity:
        return value >= SERGENSIO_PARITY_NONE && value <= SERGENSIO_PARITY_SPACE;
    case StopBits:
        return value >= 1 && value <= 3;
    case Dtr:
        return value == SERGENSIO_DTR_ON || value == SERGENSIO_DTR_OFF;
    case Rts:
        return value == SERGENSIO_RTS_ON || value == SERGENSIO_RTS_OFF;
    }
    return false;
}

void NetworkBackend::onNotAgreed()
{
    if (m_phase == Phase::Agreeing)
        m_retry.start();
}

void NetworkBackend::onAnswer(quint64 round, Setting which, int error, unsigned value)
{
    // gensio 2.6 pairs an answer with the first request still waiting whose option differs and whose range
    // leaves the value out: a request the server never answers (ser2net on a pseudo-terminal ignores DTR and
    // RTS) takes the next answer of another kind, and the request owed it waits in vain. A value out of range
    // tells such a swap, and the settings are asked again, now with one fewer in the way; so an answer counts
    // for its kind whichever round asked, and only the latest round's silence fails the open.
    const bool plausible = error || isPlausible(which, value);
    if (which == Dtr || which == Rts) {
        // The window goes on as if the line had moved, and says which the server left unconfirmed.
        const int bit = 1 << which;
        const int before = m_unconfirmed;
        m_unconfirmed = error || !plausible ? (m_unconfirmed | bit) : (m_unconfirmed & ~bit);
        if (m_unconfirmed != before)
            emit notesChanged();
        if (!plausible && m_phase == Phase::Agreeing)
            sendSettings();
        return;
    }
    if (m_phase == Phase::Open) {
        // The latest round answering after an earlier one's answers opened the port: its values stand.
        if (round == m_round && !error && plausible) {
            record(which, value);
            emit notesChanged();
        }
        return;
    }
    if (m_phase != Phase::Agreeing)
        return;
    m_agreed = true;
    if (!plausible) {
        sendSettings();
        return;
    }
    if (error) {
        if (round == m_round)
            fail(error == GE_TIMEDOUT ? SerialError::NoAnswer : SerialError::SettingsRefused);
        return;
    }
    // An earlier round's answer for other settings than those asked now is stale.
    if (round != m_round && value != askedValue(which))
        return;
    record(which, value);
    m_answered |= 1 << which;
    if (m_answered != ((1 << Baud) | (1 << DataBits) | (1 << Parity) | (1 << StopBits)))
        return;
    finishOpen();
}

unsigned NetworkBackend::askedValue(Setting which) const
{
    switch (which) {
    case Baud:
        return unsigned(m_asked.baudRate);
    case DataBits:
        return unsigned(m_asked.dataBits);
    case Parity:
        return gensioParity(m_asked.parity);
    case StopBits:
        return unsigned(m_asked.stopBits);
    default:
        return 0;
    }
}

void NetworkBackend::record(Setting which, unsigned value)
{
    switch (which) {
    case Baud:
        m_inForce.baudRate = qint32(value);
        break;
    case DataBits:
        m_inForce.dataBits = int(value);
        break;
    case Parity:
        m_inForce.parity = parityFromGensio(value);
        break;
    case StopBits:
        m_inForce.stopBits = int(value);
        break;
    default:
        break;
    }
}

void NetworkBackend::onData()
{
    if (m_phase != Phase::Open)
        m_heardFrom = true;
    if (m_attached && m_phase == Phase::Open) {
        emit readyRead();
        return;
    }
    {
        const std::lock_guard lock(m_link->mutex);
        // A kept session drops what arrives while the port is closed; what comes before the settings are
        // agreed waits for the open.
        if (!m_attached)
            m_link->received.clear();
        m_link->dataAnnounced = false;
    }
    m_loop->post([link = m_link] { link->resumeReads(); });
}

void NetworkBackend::finishOpen()
{
    m_deadline.stop();
    m_phase = Phase::Open;
    if (!m_attached)
        return;
    emit openFinished(std::nullopt);
    emit notesChanged();
    // Bytes that came while the settings were agreed.
    emit readyRead();
}

void NetworkBackend::onClosed()
{
    if (m_phase == Phase::Open) {
        const bool attached = std::exchange(m_attached, false);
        dropLink();
        if (attached)
            emit lost();
        return;
    }
    // ser2net tells a second user of its port so in plain text and hangs up.
    fail(m_agreed ? SerialError::Lost : SerialError::ServerBusy);
}

void NetworkBackend::onDeadline()
{
    fail(!m_agreed && m_heardFrom ? SerialError::NotRfc2217 : SerialError::NoAnswer);
}

void NetworkBackend::close()
{
    m_attached = false;
    if (!m_link)
        return;
    const std::lock_guard lock(m_link->mutex);
    m_link->received.clear();
}

void NetworkBackend::release()
{
    m_attached = false;
    dropLink();
}

std::optional<bool> NetworkBackend::isOpen() const
{
    return m_attached && m_phase == Phase::Open;
}

void NetworkBackend::setDtr(bool raised)
{
    sendLine(Dtr, raised);
}

void NetworkBackend::setRts(bool raised)
{
    sendLine(Rts, raised);
}

void NetworkBackend::sendLine(Setting which, bool raised)
{
    if (!m_link || m_phase != Phase::Open || !isRfc2217())
        return;
    m_loop->post([link = m_link, which, raised] {
        sergensio *serial = link->serial();
        if (!serial)
            return;
        if (which == Dtr)
            ask(link, 0, Dtr, api().sergensio_dtr, raised ? SERGENSIO_DTR_ON : SERGENSIO_DTR_OFF);
        else
            ask(link, 0, Rts, api().sergensio_rts, raised ? SERGENSIO_RTS_ON : SERGENSIO_RTS_OFF);
    });
}

int NetworkBackend::ask(const std::shared_ptr<NetworkLink> &link, quint64 round, Setting which, Ask call,
                        unsigned value)
{
    // gensio neither answers nor frees a request the server never confirms (ser2net on a pseudo-terminal
    // never confirms DTR or RTS): held weakly, the link goes when it is dropped all the same.
    struct Request
    {
        std::weak_ptr<NetworkLink> link;
        quint64 round;
        Setting which;
    };
    const auto done = [](sergensio *, int error, unsigned answer, void *data) {
        const std::unique_ptr<Request> request(static_cast<Request *>(data));
        if (const auto link = request->link.lock())
            link->toContext([link, round = request->round, which = request->which, error, answer] {
                if (link == link->owner->m_link)
                    link->owner->onAnswer(round, which, error, answer);
            });
    };
    // gensio owns the request from an accepted call until its answer.
    auto request = std::make_unique<Request>(Request{link, round, which});
    const int error = call(link->serial(), value, done, request.get());
    if (!error)
        request.release();
    return error;
}

QByteArray NetworkBackend::readAvailable()
{
    if (!m_link || !m_attached)
        return {};
    QByteArray bytes;
    bool paused = false;
    {
        const std::lock_guard lock(m_link->mutex);
        bytes = std::exchange(m_link->received, {});
        m_link->dataAnnounced = false;
        paused = m_link->readsPaused;
    }
    if (paused)
        m_loop->post([link = m_link] { link->resumeReads(); });
    return bytes;
}

qsizetype NetworkBackend::discardInput()
{
    return readAvailable().size();
}

std::optional<LineSettings> NetworkBackend::settingsInForce() const
{
    if (m_phase == Phase::Open && isRfc2217())
        return m_inForce;
    return std::nullopt;
}

QStringList NetworkBackend::notes() const
{
    QStringList notes;
    if (!m_attached || m_phase != Phase::Open)
        return notes;
    if (!isRfc2217())
        notes << QStringLiteral(
            "tcp: скорость, чётность, биты данных, стоповые биты, DTR и RTS здесь не действуют");
    QStringList unconfirmed;
    if (m_unconfirmed & (1 << Dtr))
        unconfirmed << QStringLiteral("DTR");
    if (m_unconfirmed & (1 << Rts))
        unconfirmed << QStringLiteral("RTS");
    if (!unconfirmed.isEmpty())
        notes << QStringLiteral("сервер не подтвердил: ") + unconfirmed.join(QStringLiteral(", "));
    return notes;
}
