#include "backdrop.h"

#include <QWidget>

Backdrop::Backdrop(QWidget *widget) : m_widget(widget)
{
    widget->setAttribute(Qt::WA_OpaquePaintEvent);
}

const QPixmap &Backdrop::pixmap()
{
    QWidget *parent = m_widget->parentWidget();
    const qreal ratio = m_widget->devicePixelRatioF();
    if (m_pixmap.isNull() || m_geometry != m_widget->geometry() || m_pixmap.devicePixelRatio() != ratio) {
        m_geometry = m_widget->geometry();
        m_pixmap = QPixmap(m_geometry.size() * ratio);
        m_pixmap.setDevicePixelRatio(ratio);
        m_pixmap.fill(m_widget->palette().color(QPalette::Window));
        // The parent alone, without its children: the window's own background where the parent leaves it
        // bare.
        if (parent)
            parent->render(&m_pixmap, QPoint(), QRegion(m_geometry), QWidget::DrawWindowBackground);
    }
    return m_pixmap;
}
