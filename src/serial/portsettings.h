#pragma once

#include "backend.h"
#include "portreturn.h"

#include <QObject>
#include <array>
#include <functional>
#include <optional>

class Capture;
class CommPort;
class IndicatorCircle;
class QComboBox;
class QTimer;

// What the port indicator tells when asked: the device and the settings in force, or why the port is closed.
QString portStateText(bool open, const QString &device, const LineSettings &settings,
                      std::optional<SerialError> failure);

// The five settings lists: a pick closes the port, and a tick of the reopen timer applies them all.
class PortSettings : public QObject
{
    Q_OBJECT

public:
    using ShowMessage = std::function<void(const QString &)>;

    PortSettings(CommPort &Comm1, const std::array<QComboBox *, 5> &Combo1, IndicatorCircle *Shape1,
                 QTimer *Timer2, ShowMessage showMessage, QObject *parent = nullptr);

    void Combo1_Click(int index);
    void Timer2_Timer();
    void Show_Port_State();
    void Open_Port_At_Startup();
    // Reopens a lost port by itself when its device is back.
    PortReturn &portReturn() { return m_return; }
    // Writes the indicator's tooltip and description for the state it shows, with a stopped capture's note.
    void describePort();
    // A journal whose stop the tooltip tells as it tells the capture's.
    void setJournal(const Capture *journal) { m_journal = journal; }

private:
    CommPort &Comm1;
    std::array<QComboBox *, 5> Combo1;
    IndicatorCircle *Shape1;
    QTimer *Timer2;
    ShowMessage m_showMessage;
    PortReturn m_return{Comm1};
    bool m_reopening = false;
    const Capture *m_journal = nullptr;
};
