#pragma once

#include <QObject>
#include <array>
#include <functional>
#include <optional>

class Capture;
class CommPort;
class IndicatorCircle;
class QComboBox;
class QTimer;

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
    // Writes the indicator's tooltip and description for the state it shows, with a stopped capture's note.
    void describePort();
    // A journal whose stop the tooltip tells as it tells the capture's.
    void setJournal(const Capture *journal) { m_journal = journal; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    CommPort &Comm1;
    std::array<QComboBox *, 5> Combo1;
    IndicatorCircle *Shape1;
    QTimer *Timer2;
    ShowMessage m_showMessage;
    bool m_reopening = false;
    bool m_picking = false;
    const Capture *m_journal = nullptr;
};
