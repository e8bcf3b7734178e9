#include "vbcolor.h"

#include <QApplication>
#include <QPalette>

QColor toQColor(quint32 vbColor)
{
    if (vbColor & 0x80000000u) {
        const QPalette palette = QApplication::palette();
        switch (vbColor & 0xFFu) {
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
    return QColor(vbColor & 0xFFu, (vbColor >> 8) & 0xFFu, (vbColor >> 16) & 0xFFu);
}
