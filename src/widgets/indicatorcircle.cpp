#include "indicatorcircle.h"

#include "colorcode.h"

#include <QPainter>

IndicatorCircle::IndicatorCircle(quint32 backColor, QWidget *parent) : QWidget(parent), m_backColor(backColor)
{
}

void IndicatorCircle::setBackColor(quint32 code)
{
    if (code == m_backColor)
        return;
    m_backColor = code;
    setAccessibleName(m_stateNames.value(code));
    update();
}

void IndicatorCircle::setStateNames(const QHash<quint32, QString> &names)
{
    m_stateNames = names;
    setAccessibleName(m_stateNames.value(m_backColor));
}

void IndicatorCircle::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setBrush(colorFromCode(m_backColor));
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}
