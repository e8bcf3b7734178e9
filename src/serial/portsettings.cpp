#include "portsettings.h"

#include "capture.h"
#include "commport.h"
#include "widgets/colorcode.h"
#include "widgets/indicatorcircle.h"

#include <QComboBox>
#include <QScopedValueRollback>
#include <QTimer>

namespace {

QString failureText(SerialError failure, const LineSettings &settings)
{
    switch (failure) {
    case SerialError::NoSuchDevice:
        return QStringLiteral("нет такого устройства");
    case SerialError::Busy:
        return QStringLiteral("занят другой программой");
    case SerialError::NoPermission:
        return QStringLiteral("нет прав доступа: добавьте пользователя в группу dialout "
                              "(sudo adduser $USER dialout) и войдите в систему заново");
    case SerialError::NotATerminal:
        return QStringLiteral("это не последовательный порт");
    case SerialError::SettingsRefused:
        return QStringLiteral("устройство не приняло настройки %1").arg(lineSettingsText(settings));
    case SerialError::Io:
        return QStringLiteral("ошибка ввода-вывода");
    case SerialError::Lost:
        return QStringLiteral("связь потеряна: устройство отключено или не отвечает");
    case SerialError::SystemConsole:
        return QStringLiteral("это системная консоль: выберите другой порт или запустите kalvane --demo");
    case SerialError::HostNotFound:
        return QStringLiteral("сервер не найден");
    case SerialError::ConnectionRefused:
        return QStringLiteral("сервер отказал в соединении");
    case SerialError::NoAnswer:
        return QStringLiteral("сервер не отвечает");
    case SerialError::ServerBusy:
        return QStringLiteral("порт занят: сервер уже обслуживает другого пользователя");
    case SerialError::NotRfc2217:
        return QStringLiteral("сервер не поддерживает RFC 2217");
    }
    return QStringLiteral("порт закрыт");
}

} // namespace

QString portStateText(bool open, const QString &device, const LineSettings &settings,
                      std::optional<SerialError> failure)
{
    const QString detail = open      ? lineSettingsText(settings)
                           : failure ? failureText(*failure, settings)
                                     : QStringLiteral("порт закрыт");
    return device + QStringLiteral(" — ") + detail;
}

PortSettings::PortSettings(CommPort &Comm1, const std::array<QComboBox *, 5> &Combo1, IndicatorCircle *Shape1,
                           QTimer *Timer2, ShowMessage showMessage, QObject *parent)
    : QObject(parent), Comm1(Comm1), Combo1(Combo1), Shape1(Shape1), Timer2(Timer2),
      m_showMessage(std::move(showMessage))
{
    Shape1->setStateNames(
        {{ColorCode::Green, QStringLiteral("открыт")}, {ColorCode::Red, QStringLiteral("закрыт")}});
    connect(&Comm1, &CommPort::portLost, this, &PortSettings::Show_Port_State);
    connect(&m_return, &PortReturn::stateChanged, this, &PortSettings::Show_Port_State);
    // An open over the network answers after the tick that started it.
    connect(&Comm1, &CommPort::stateChanged, this, &PortSettings::Show_Port_State);
}

void PortSettings::Combo1_Click(int)
{
    if (Comm1.portOpen() == true)
        Comm1.setPortOpen(false);
    // The device the port lost may come back before the tick, which must find the port as the pick left it.
    m_return.stop();
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
    if (const QString awaited = m_return.awaited(); !awaited.isEmpty())
        state = portStateText(false, Comm1.device(), Comm1.settings(), SerialError::Lost) +
                QStringLiteral("\nждём возвращения ") + awaited;
    if (Comm1.opening())
        if (const auto remote = remotePort(Comm1.device()))
            state = Comm1.device() + QStringLiteral(" — подключение к %1…").arg(remote->address());
    for (const QString &note : Comm1.notes())
        state += QLatin1Char('\n') + note;
    for (const Capture *writer : {Comm1.capture(), m_journal})
        if (writer && !writer->stateText().isEmpty())
            state += QLatin1Char('\n') + writer->stateText();
    Shape1->setToolTip(state);
    Shape1->setAccessibleDescription(state);
}

void PortSettings::Open_Port_At_Startup()
{
    Comm1.setPortOpen(true);
    Show_Port_State();
}
