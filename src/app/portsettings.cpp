#include "portsettings.h"

#include "port/capture.h"
#include "port/commport.h"
#include "port/portstatetext.h"
#include "widgets/colorcode.h"
#include "widgets/indicatorcircle.h"

#include <QComboBox>
#include <QEvent>
#include <QScopedValueRollback>
#include <QTimer>

PortSettings::PortSettings(CommPort &Comm1, const std::array<QComboBox *, 5> &Combo1, IndicatorCircle *Shape1,
                           QTimer *Timer2, ShowMessage showMessage, QObject *parent)
    : QObject(parent), Comm1(Comm1), Combo1(Combo1), Shape1(Shape1), Timer2(Timer2),
      m_showMessage(std::move(showMessage))
{
    // The lines move between ticks, and while nothing polls: looked at when the tooltip is asked for.
    Shape1->installEventFilter(this);
    Shape1->setStateNames(
        {{ColorCode::Green, QStringLiteral("открыт")}, {ColorCode::Red, QStringLiteral("закрыт")}});
    // Every open answers after the handler that started it, and a lost port changes by itself; a pick's close
    // leaves the colour of the last open attempt until the reopen.
    connect(&Comm1, &CommPort::stateChanged, this, [this] {
        if (m_picking)
            describePort();
        else
            Show_Port_State();
    });
}

void PortSettings::Combo1_Click(int)
{
    // An open under way or a wait for a lost device is given up as an open port is closed: the tick must
    // find the port closed, or it could not apply the pick.
    if (Comm1.state() != CommPort::State::Closed) {
        const QScopedValueRollback picking(m_picking, true);
        Comm1.setPortOpen(false);
    }
    // Further picks before the tick leave the countdown of the first one running.
    if (!Timer2->isActive())
        Timer2->start();
}

void PortSettings::Timer2_Timer()
{
    // The message box below runs a nested event loop in which this timer keeps ticking.
    if (m_reopening)
        return;
    const QScopedValueRollback reopening(m_reopening, true);

    const bool portAccepted = Comm1.setCommPort(Combo1[0]->currentText());
    const QString settings = Combo1[1]->currentText() + QLatin1Char(',') + Combo1[2]->currentText() +
                             QLatin1Char(',') + Combo1[3]->currentText() + QLatin1Char(',') +
                             Combo1[4]->currentText();
    const bool settingsAccepted = Comm1.setSettings(settings);
    if (!portAccepted || !settingsAccepted)
        m_showMessage(QStringLiteral("Недопустимо"));
    Comm1.setPortOpen(true);
    Show_Port_State();
    Timer2->stop();
}

void PortSettings::Show_Port_State()
{
    // A state that cannot be read counts as closed.
    Shape1->setBackColor(Comm1.portOpen() == true ? ColorCode::Green : ColorCode::Red);
    describePort();
}

void PortSettings::describePort()
{
    // Told of the state the indicator shows, which a failed read of the port counts as closed.
    const bool shownOpen = Shape1->backColor() == ColorCode::Green;
    QString state = portStateText(shownOpen, Comm1.device(), Comm1.settingsInForce(), Comm1.lastFailure());
    if (Comm1.state() == CommPort::State::Open) {
        const DeviceStatus status = Comm1.deviceStatus();
        state += QLatin1Char('\n') + linesText(status.lines);
        if (status.errors)
            state += QLatin1Char('\n') + errorsText(*status.errors);
        if (Comm1.framingErrorsRising())
            state += QStringLiteral("\nмного ошибок кадра: проверьте скорость");
    }
    if (const QString awaited = Comm1.awaited(); !awaited.isEmpty())
        state = portStateText(false, Comm1.device(), Comm1.settings(), SerialError::Lost) +
                QStringLiteral("\nждём возвращения ") + awaited;
    if (Comm1.state() == CommPort::State::Opening && Comm1.address().isRemote())
        state = Comm1.device() + QStringLiteral(" — подключение к %1…").arg(Comm1.address().hostAndPort());
    for (const QString &note : Comm1.notes())
        state += QLatin1Char('\n') + note;
    for (const Capture *writer : {Comm1.capture(), m_journal})
        if (writer && !writer->stateText().isEmpty())
            state += QLatin1Char('\n') + writer->stateText();
    Shape1->setToolTip(state);
    Shape1->setAccessibleDescription(state);
}

bool PortSettings::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::ToolTip)
        describePort();
    return false;
}

void PortSettings::Open_Port_At_Startup()
{
    Comm1.setPortOpen(true);
    Show_Port_State();
}
