#include "portstatetext.h"

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
