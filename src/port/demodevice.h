#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

// A pretend bench instrument on a pseudo-terminal of its own: the port opens the terminal's path, and this
// writes a sample stream to the other end at the pace of a 9600-baud line.
class DemoDevice : public QObject
{
    Q_OBJECT

public:
    static constexpr int BytesPerSecond = 960; // 9600 baud, 10 bits a byte

    explicit DemoDevice(QObject *parent = nullptr);
    ~DemoDevice() override;

    // The terminal the port should open; empty, with the reason in error(), when none could be made.
    QString path() const { return m_path; }
    QString error() const { return m_error; }

private:
    static constexpr int MessageIntervalMs = 250;

    // The n-th message the instrument sends: mostly a CRLF line in Windows-1251, every fourth a binary frame.
    static QByteArray message(int n);
    void tick();

    int m_master = -1;
    QString m_path;
    QString m_error;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastTickMs = 0;
    qint64 m_nextMessageMs = 0;
    double m_credit = 0;
    int m_sent = 0;
    QByteArray m_pending;
};
