#include "portsettings.h"

#include "widgets/indicatorcircle.h"
#include "widgets/colorcode.h"
#include "commport.h"

#include <QComboBox>
#include <QScopedValueRollback>
#include <QTimer>

PortSettings::PortSettings(CommPort &Comm1, const std::array<QComboBox *, 5> &Combo1, IndicatorCircle *Shape1,
                           QTimer *Timer2, ShowMessage showMessage, QObject *parent)
    : QObject(parent), Comm1(Comm1), Combo1(Combo1), Shape1(Shape1), Timer2(Timer2),
      m_showMessage(std::move(showMessage))
{
    connect(&Comm1, &CommPort::portLost, this, &PortSettings::Show_Port_State);
}

void PortSettings::Combo1_Click(int)
{
    if (Comm1.portOpen() == true)
        Comm1.setPortOpen(false);
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
}

void PortSettings::Open_Port_At_Startup()
{
    Comm1.setPortOpen(true);
    Show_Port_State();
}
