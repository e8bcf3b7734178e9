#pragma once

#include <QStringList>
#include <array>

// What one settings list offers, and the text it shows when the window opens.
struct ListContents
{
    QStringList items;
    QString textAtStart;
};

// Port number, baud rate, parity letter, data bits, stop bits: the order of the lists and of the settings
// string.
const std::array<ListContents, 5> &settingsLists();
