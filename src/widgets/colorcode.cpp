#include "colorcode.h"

#include <QApplication>
#include <QPalette>

namespace {

// x to the power 2.4, for x in (0, 1], to within an ulp or two of std::pow. The first call of libm's pow()
// alone makes some 240 KiB of the library resident (its code and tables, with the pages faulted in around
// them), a good part of what the window may take beyond Qt's own.
double pow24(double x)
{
    // Newton's method for the fifth root of x squared, which is x to the power 0.4; from 1, above the root,
    // it descends to it.
    const double square = x * x;
    double root = 1;
    for (;;) {
        const double fourth = root * root * root * root;
        const double next = root - (fourth * root - square) / (5 * fourth);
        if (next >= root)
            return square * root;
        root = next;
    }
}

// Relative luminance, as contrast ratios are defined on it.
double luminance(const QColor &color)
{
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : pow24((channel + 0.055) / 1.055);
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
