#include "indicatorcircle.h"

#include "vbcolor.h"

#include <QPainter>

IndicatorCircle::IndicatorCircle(quint32 backColor, QWidget *parent) : QWidget(parent), m_backColor(backColor)
{
}

void IndicatorCircle::setBackColor(quint32 vbColor)
{
    if (vbColor == m_backColor)
        return;
    m_backColor = vbColor;
    update();
}

void IndicatorCircle::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setBrush(toQColor(m_backColor));
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}
