#pragma once

#include <QStringList>
#include <array>

// What one settings list offers, and the text it shows when the window opens.
struct SettingsList
{
    QStringList items;
    QString textAtStart;
};

// Port number, baud rate, parity letter, data bits, stop bits: the order of the lists and of the settings
// string.
const std::array<SettingsList, 5> &settingsLists();
