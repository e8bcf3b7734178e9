#include "indicatorcircle.h"

#include "colorcode.h"

#include <QEvent>
#include <QPainter>

IndicatorCircle::IndicatorCircle(quint32 backColor, QWidget *parent) : QWidget(parent), m_backColor(backColor)
{
    QAccessible::installActivationObserver(this);
}

IndicatorCircle::~IndicatorCircle()
{
    QAccessible::removeActivationObserver(this);
}

void IndicatorCircle::setBackColor(quint32 code)
{
    if (code == m_backColor)
        return;
    m_backColor = code;
    // Telling the name costs a tick as much as repainting the circle; a screen reader that starts later is
    // told then.
    if (QAccessible::isActive())
        setAccessibleName(m_stateNames.value(code));
    update();
}

void IndicatorCircle::setStateNames(const QHash<quint32, QString> &names)
{
    m_stateNames = names;
    setAccessibleName(m_stateNames.value(m_backColor));
}

void IndicatorCircle::accessibilityActiveChanged(bool active)
{
    if (active)
        setAccessibleName(m_stateNames.value(m_backColor));
}

bool IndicatorCircle::event(QEvent *event)
{
    if (m_backdrop.changed(event))
        update();
    return QWidget::event(event);
}

QPixmap IndicatorCircle::face(quint32 code)
{
    // Drawn straight over the backdrop, so the circle's edge blends exactly as it would over the parent.
    QPixmap face = m_backdrop.pixmap().copy();
    QPainter painter(&face);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setBrush(colorFromCode(code));
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    return face;
}

void IndicatorCircle::paintEvent(QPaintEvent *)
{
    if (m_backdrop.generation() != m_facesGeneration) {
        m_faces.clear();
        m_facesGeneration = m_backdrop.generation();
    }
    auto cached = m_faces.find(m_backColor);
    if (cached == m_faces.end())
        cached = m_faces.insert(m_backColor, face(m_backColor));
    QPainter painter(this);
    painter.drawPixmap(0, 0, *cached);
}
