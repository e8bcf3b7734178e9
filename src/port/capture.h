#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>
#include <thread>

struct CaptureWriter;

// Russian text for an errno value, for messages the operator reads.
QString russianErrorText(int error);

// Appends every byte read from the port to a file or to standard output. A worker thread does the writing,
// so a slow disk or a stalled reader never holds up the window; a write that fails stops the capture alone.
class Capture : public QObject
{
    Q_OBJECT

public:
    struct Failure
    {
        QDateTime when;
        QString reason;
        qint64 bytesWritten = 0;
    };

    // Bytes handed to the worker but not yet written; beyond this the reader counts as stalled.
    static constexpr qsizetype MaxQueued = 4 * 1024 * 1024;
    // Bytes held back on this thread before they go to the worker in one piece.
    static constexpr qsizetype MaxPending = 64 * 1024;
    // How long bytes wait for a flush while nothing else flushes them (no polling tick).
    static constexpr int IdleFlushMs = 100;
    // How long a clean end waits for the worker before leaving it behind.
    static constexpr int CloseWaitMs = 3000;

    // "-" is standard output. Sets errorText and returns nothing when the path cannot be opened for
    // appending.
    static std::unique_ptr<Capture> open(const QString &path, QString *errorText);
    ~Capture() override;

    void append(const QByteArray &bytes);
    // Hands every byte appended so far to the worker.
    void flush();
    // Flushes, waits for the worker to write everything (up to CloseWaitMs) and closes the file.
    void close();

    QString path() const { return m_path; }
    // Whether the file held nothing when opened; a pipe or a terminal counts as empty.
    bool startedEmpty() const { return m_startedEmpty; }
    // What the stopped-capture note calls the writing, "Запись" unless set.
    void setSubject(const QString &subject) { m_subject = subject; }
    bool running() const;
    std::optional<Failure> failure() const;
    // What the operator reads about a stopped capture; empty while it runs.
    QString stateText() const;

signals:
    // Emitted once, on this object's thread, when a write fails or the reader stalls.
    void stopped();

private:
    Capture(const QString &path, int fd);
    void announceFailure();

    QString m_path;
    QString m_subject = QStringLiteral("Запись");
    bool m_startedEmpty = true;
    std::shared_ptr<CaptureWriter> m_writer;
    QByteArray m_pending;
    QTimer m_idleFlush;
    std::thread m_thread;
    bool m_closed = false;
    bool m_announced = false;
};
