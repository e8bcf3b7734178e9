#pragma once

#include <QString>

// The object name of an element of a control array: "Text1(3)".
inline QString elementName(const char *arrayName, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(arrayName)).arg(index);
}
