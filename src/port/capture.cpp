#include "capture.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

// What the window's thread and the worker share; held by both, so a worker left behind at the end stays safe.
struct CaptureWriter
{
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable finishedChanged;
    std::deque<QByteArray> queue;
    qsizetype queued = 0;
    qint64 handed = 0;
    std::atomic<qint64> written = 0;
    bool closing = false;
    bool finished = false;
    std::optional<Capture::Failure> failure;
    Capture *owner = nullptr; // cleared when the owner stops listening
    int fd = -1;

    // Called with the mutex held.
    void fail(int error, const QString &reason)
    {
        if (failure)
            return;
        failure =
            Capture::Failure{QDateTime::currentDateTime(), error ? russianErrorText(error) : reason, written};
        queue.clear();
        queued = 0;
        closing = true;
        wake.notify_one();
        if (owner)
            QMetaObject::invokeMethod(owner, &Capture::stopped, Qt::QueuedConnection);
    }
};

namespace {

// Returns the errno of the first failed write, 0 when every byte went out.
int writeAll(int fd, const QByteArray &bytes, std::atomic<qint64> &written)
{
    qsizetype offset = 0;
    while (offset < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + offset, size_t(bytes.size() - offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        offset += n;
        written += n;
    }
    return 0;
}

void runWriter(std::shared_ptr<CaptureWriter> writer)
{
    // A reader that went away answers EPIPE to this thread instead of ending the program.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    pthread_setname_np(pthread_self(), "capture");

    std::unique_lock lock(writer->mutex);
    for (;;) {
        writer->wake.wait(lock, [&] { return !writer->queue.empty() || writer->closing; });
        if (writer->queue.empty())
            break;
        std::deque<QByteArray> batch;
        batch.swap(writer->queue);
        lock.unlock();
        qsizetype taken = 0;
        int error = 0;
        for (const QByteArray &chunk : batch) {
            taken += chunk.size();
            if ((error = writeAll(writer->fd, chunk, writer->written)))
                break;
        }
        lock.lock();
        writer->queued = std::max<qsizetype>(0, writer->queued - taken);
        if (error)
            writer->fail(error, {});
    }
    ::close(writer->fd);
    writer->finished = true;
    writer->finishedChanged.notify_all();
}

void printError(const QString &text)
{
    std::fputs(text.toLocal8Bit().append('\n').constData(), stderr);
    std::fflush(stderr);
}

} // namespace

QString russianErrorText(int error)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("нет такого файла или каталога");
    case ENOTDIR:
        return QStringLiteral("часть пути не является каталогом");
    case EISDIR:
        return QStringLiteral("это каталог");
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав на запись");
    case EROFS:
        return QStringLiteral("файловая система только для чтения");
    case ENOSPC:
        return QStringLiteral("на устройстве нет места");
    case EDQUOT:
        return QStringLiteral("превышена дисковая квота");
    case EFBIG:
        return QStringLiteral("файл слишком велик");
    case EIO:
        return QStringLiteral("ошибка ввода-вывода");
    case EPIPE:
        return QStringLiteral("читающая сторона закрыта");
    case ENXIO:
        return QStringLiteral("нет читающей стороны или устройства");
    case ENAMETOOLONG:
        return QStringLiteral("слишком длинное имя");
    case ELOOP:
        return QStringLiteral("слишком много символических ссылок");
    case EBADF:
        return QStringLiteral("не открыт для записи");
    case ETXTBSY:
        return QStringLiteral("файл занят");
    }
    // The symbolic name, not the C library's English sentence, so that every word printed is Russian.
    const char *name = strerrorname_np(error);
    return QStringLiteral("системная ошибка %1")
        .arg(name ? QString::fromLatin1(name) : QString::number(error));
}

std::unique_ptr<Capture> Capture::open(const QString &path, QString *errorText)
{
    int fd = -1;
    if (path == QLatin1String("-")) {
        fd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
        if (fd >= 0 && (::fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY) {
            ::close(fd);
            fd = -1;
            errno = EBADF;
        }
    } else {
        // Non-blocking only for the open itself: a FIFO nobody reads is refused now instead of hanging
        // start-up.
        fd = ::open(QFile::encodeName(path).constData(),
                    O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
        if (fd >= 0)
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    }
    if (fd < 0) {
        if (errorText)
            *errorText = russianErrorText(errno);
        return nullptr;
    }
    struct stat status;
    const bool empty = ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size == 0;
    auto capture = std::unique_ptr<Capture>(new Capture(path, fd));
    capture->m_startedEmpty = empty;
    return capture;
}

Capture::Capture(const QString &path, int fd) : m_path(path), m_writer(std::make_shared<CaptureWriter>())
{
    m_writer->fd = fd;
    m_writer->owner = this;
    m_idleFlush.setSingleShot(true);
    m_idleFlush.setInterval(IdleFlushMs);
    connect(&m_idleFlush, &QTimer::timeout, this, &Capture::flush);
    connect(this, &Capture::stopped, this, &Capture::announceFailure);
    m_thread = std::thread(runWriter, m_writer);
}

Capture::~Capture()
{
    close();
}

void Capture::append(const QByteArray &bytes)
{
    if (m_closed || bytes.isEmpty())
        return;
    m_pending.append(bytes);
    if (m_pending.size() >= MaxPending)
        flush();
    else if (!m_idleFlush.isActive())
        m_idleFlush.start();
}

void Capture::flush()
{
    m_idleFlush.stop();
    if (m_closed || m_pending.isEmpty())
        return;
    std::lock_guard lock(m_writer->mutex);
    if (m_writer->closing) {
        m_pending.clear();
        return;
    }
    if (m_writer->queued + m_pending.size() > MaxQueued) {
        m_pending.clear();
        m_writer->fail(
            0, QStringLiteral("вывод не принимает данные, %1 байт ждут записи").arg(m_writer->queued));
        return;
    }
    m_writer->queued += m_pending.size();
    m_writer->handed += m_pending.size();
    m_writer->queue.push_back(std::exchange(m_pending, {}));
    m_writer->wake.notify_one();
}

void Capture::close()
{
    if (m_closed)
        return;
    flush();
    m_closed = true;
    std::unique_lock lock(m_writer->mutex);
    m_writer->closing = true;
    m_writer->wake.notify_one();
    const bool finished = m_writer->finishedChanged.wait_for(lock, std::chrono::milliseconds(CloseWaitMs),
                                                             [this] { return m_writer->finished; });
    m_writer->owner = nullptr;
    const qint64 unwritten = m_writer->handed - m_writer->written;
    lock.unlock();
    if (finished) {
        m_thread.join();
    } else {
        // A reader that never reads must not keep the program from ending.
        m_thread.detach();
        printError(QStringLiteral("kalvane: запись в «%1» не завершена: %2 байт не записаны")
                       .arg(m_path)
                       .arg(unwritten));
    }
    announceFailure();
}

bool Capture::running() const
{
    std::lock_guard lock(m_writer->mutex);
    return !m_closed && !m_writer->failure;
}

std::optional<Capture::Failure> Capture::failure() const
{
    std::lock_guard lock(m_writer->mutex);
    return m_writer->failure;
}

QString Capture::stateText() const
{
    const auto stop = failure();
    if (!stop)
        return {};
    return QStringLiteral("%1 в «%2» остановлена %3: %4; записано байт: %5")
        .arg(m_subject, m_path, stop->when.toString(QStringLiteral("dd.MM.yyyy в hh:mm:ss")), stop->reason)
        .arg(stop->bytesWritten);
}

void Capture::announceFailure()
{
    if (m_announced || !failure())
        return;
    m_announced = true;
    printError(QStringLiteral("kalvane: ") + stateText());
}
