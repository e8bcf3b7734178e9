#include "colorcode.h"

#include <QApplication>
#include <QPalette>
#include <cmath>

namespace {

// Relative luminance, as contrast ratios are defined on it.
double luminance(const QColor &color)
{
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) + 0.0722 * linear(color.blueF());
}

} // namespace

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

QColor readableOn(const QColor &background, const QColor &themeText)
{
    const double back = luminance(background), text = luminance(themeText);
    if ((qMax(back, text) + 0.05) / (qMin(back, text) + 0.05) >= 4.5)
        return themeText;
    return back > 0.179 ? QColor(Qt::black) : QColor(Qt::white);
}
