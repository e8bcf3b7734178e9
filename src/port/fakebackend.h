#pragma once

#include "backend.h"

#include <QHash>
#include <QList>
#include <QSet>

// An in-memory device for tests: scripted failures, fed bytes and a record of every open and line write.
class FakeBackend : public SerialBackend
{
    Q_OBJECT

public:
    struct OpenCall
    {
        QString device;
        LineSettings settings;
    };
    struct LineWrite
    {
        char line; // 'D' or 'R'
        bool raised;
        friend bool operator==(const LineWrite &, const LineWrite &) = default;
    };

    using SerialBackend::SerialBackend;

    // Answers on the next turn of the event loop unless answerLater is set; then finishOpen() answers.
    void open(const PortAddress &address, const LineSettings &settings) override;
    // Recorded as an open of the same device.
    void reconfigure(const LineSettings &settings) override;
    void close() override;
    std::optional<bool> isOpen() const override;
    void setDtr(bool raised) override;
    void setRts(bool raised) override;
    QByteArray readAvailable() override;
    qsizetype discardInput() override;

    // Queues bytes as if they had arrived, and announces them as the real device would.
    void feed(const QByteArray &bytes);
    void unplug();
    void finishOpen(std::optional<SerialError> failure = std::nullopt);
    std::optional<LineSettings> settingsInForce() const override { return reportedSettings; }
    QStringList notes() const override { return reportedNotes; }
    DeviceStatus deviceStatus() override { return opened ? status : DeviceStatus{}; }

    QSet<QString> devices{QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyS1")};
    QSet<QString> busyDevices;
    // Any other refusal at open, by device.
    QHash<QString, SerialError> openErrors;
    bool refuseSettingsAtOpen = false;
    bool stateUnreadable = false;
    bool answerLater = false;
    std::optional<LineSettings> reportedSettings;
    QStringList reportedNotes;
    DeviceStatus status;

    bool opened = false;
    bool dtr = false;
    bool rts = false;
    int closeCount = 0;
    QList<OpenCall> openCalls;
    QList<LineWrite> lineWrites;
    QByteArray pending;

private:
    std::optional<SerialError> openFailure(const QString &device) const;

    PortAddress m_address;
    quint64 m_answer = 0; // the open whose answer is due
};
