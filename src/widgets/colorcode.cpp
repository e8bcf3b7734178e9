#include "colorcode.h"

#include <QApplication>
#include <QPalette>

QColor colorFromCode(quint32 code)
{
    if (code & 0x80000000u) {
        const QPalette palette = QApplication::palette();
        switch (code & 0xFFu) {
        case 5:
            return palette.color(QPalette::Base);
        case 15:
            return palette.color(QPalette::Button);
        case 10:
        default:
            // Qt has no active-border role; the classic Windows grey stands in.
            return QColor(0xD4, 0xD0, 0xC8);
        }
    }
    return QColor(code & 0xFFu, (code >> 8) & 0xFFu, (code >> 16) & 0xFFu);
}
