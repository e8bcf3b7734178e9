#pragma once

#include "localclock.h"
#include "port/devicestatus.h"

#include <QAccessible>
#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <array>
#include <functional>
#include <optional>

class Capture;
class CommPort;
class DisplayMode;
class IndicatorCircle;
class QLineEdit;
class QTimer;

// Milliseconds from the interval box: a whole decimal number the timer accepts, surrounding spaces allowed.
std::optional<int> parsePollingInterval(const QString &text);

// Start, stop and the tick that writes each reading into the next of the ten rows.
class PollingCycle : public QObject, public QAccessible::ActivationObserver
{
    Q_OBJECT

public:
    PollingCycle(CommPort &Comm1, DisplayMode &displayMode, QLineEdit *Text2, QTimer *Timer1,
                 const std::array<QLineEdit *, 10> &Text1, const std::array<IndicatorCircle *, 10> &Shape2,
                 QObject *parent = nullptr);
    ~PollingCycle() override;

    void Command1_Click();
    void Command2_Click();
    void Timer1_Timer();
    // From now on every tick that writes a reading appends its line to the journal, after the fields' names
    // when the journal is new and a line naming the port and its settings.
    void startJournal(Capture *journal);

    int Row_Index = 0;
    QByteArray Rx_Data;
    // Stamps each reading for the rows' tooltips and the journal.
    std::function<QDateTime()> clock = LocalClock();

    bool eventFilter(QObject *watched, QEvent *event) override;
    void accessibilityActiveChanged(bool active) override;

private:
    // What a row's tooltip tells of the reading it was last written with.
    struct RowNote
    {
        QDateTime readAt;
        qsizetype bytes = 0;
        qsizetype dropped = 0;
        bool repeated = false;
        bool textMode = false;
        ReceiveErrors errors;
    };

    void writeRow(const QString &text);
    void describeRow(bool repeated);
    QString noteText(int row) const;
    void describeToScreenReaders(int row);
    void followPort();
    void writeStartLine();
    void keepInJournal(bool repeated);

    CommPort &Comm1;
    DisplayMode &m_displayMode;
    QLineEdit *Text2;
    QTimer *Timer1;
    std::array<QLineEdit *, 10> Text1;
    std::array<IndicatorCircle *, 10> Shape2;
    // Words are made only when asked for: building and setting them at every tick cost as much as the rest
    // of an empty tick.
    std::array<std::optional<RowNote>, 10> m_notes;
    QDateTime m_readAt;
    qsizetype m_dropped = 0;
    Capture *m_journal = nullptr; // outlives the cycle
    bool m_startLineDue = false;
    bool m_portWasOpen = false;
    bool m_repeating = false;
};
