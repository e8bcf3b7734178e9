#include "settingslists.h"

namespace {

QStringList numbers(std::initializer_list<int> values)
{
    QStringList items;
    for (int value : values)
        items << QString::number(value);
    return items;
}

} // namespace

const std::array<ListContents, 5> &settingsLists()
{
    static const std::array<ListContents, 5> lists{{
        {numbers({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), QStringLiteral("1")},
        {numbers({110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 28800, 38400, 57600, 115200}),
         QStringLiteral("9600")},
        {{"n", "e", "o", "s", "m"}, QStringLiteral("n")},
        {numbers({5, 6, 7, 8}), QStringLiteral("8")},
        {numbers({1, 2}), QStringLiteral("1")},
    }};
    return lists;
}
