#pragma once

#include <QPixmap>
#include <QProxyStyle>

// The desktop's style, drawing Qt's own pictures without loading every image plugin to read them. Qt asks
// each plugin whether it reads a picture before decoding one of its own: the menu bar's overflow picture,
// read for every menu bar although the window is wide enough for its one menu, is asked for only when drawn;
// Fusion's group-box frame is decoded once, by its content, rather than read from its file at every paint.
class DesktopStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;

private:
    mutable QPixmap m_groupBoxFrame;
};
