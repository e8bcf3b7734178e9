#pragma once

#include <QColor>
#include <QtGlobal>

// Colours as the window stores them: 0x00BBGGRR, or 0x80000000 plus a system colour index.
namespace ColorCode {
constexpr quint32 BrightGreen = 0x00FF00;
constexpr quint32 Green = 0x00C000;
constexpr quint32 Red = 0x0000FF;
constexpr quint32 LightYellow = 0xC0FFFF;
constexpr quint32 WindowBackground = 0x80000005;
constexpr quint32 ActiveBorder = 0x8000000A;
constexpr quint32 ButtonFace = 0x8000000F;
} // namespace ColorCode

QColor colorFromCode(quint32 code);

// The text colour to draw on a fixed background: the theme's own while it reads there (4.5:1 or better), else
// black on a light background, white on a dark one. A dark desktop theme's near-white text vanishes on the
// window's light yellow and bright green.
QColor readableOn(const QColor &background, const QColor &themeText);
