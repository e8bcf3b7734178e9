#include "backdrop.h"

#include <QEvent>
#include <QPixmapCache>
#include <QWidget>

Backdrop::Backdrop(QWidget *widget) : m_widget(widget)
{
    widget->setAttribute(Qt::WA_OpaquePaintEvent);
}

bool Backdrop::changed(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::EnabledChange:
    // A window's children hear of its activation through these alone; a style sheet may paint the frame of an
    // active window unlike that of an inactive one while every palette stays the same.
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        m_pixmap = QPixmap();
        return true;
    default:
        return false;
    }
}

const QPixmap &Backdrop::pixmap()
{
    QWidget *parent = m_widget->parentWidget();
    const qreal ratio = m_widget->devicePixelRatioF();
    if (m_pixmap.isNull() || m_geometry != m_widget->geometry() || m_pixmap.devicePixelRatio() != ratio) {
        m_geometry = m_widget->geometry();
        ++m_generation;
        QPixmap capture(m_geometry.size() * ratio);
        capture.setDevicePixelRatio(ratio);
        capture.fill(m_widget->palette().color(QPalette::Window));
        // The parent alone, without its children: the window's own background where the parent leaves it
        // bare.
        if (parent)
            parent->render(&capture, QPoint(), QRegion(m_geometry), QWidget::DrawWindowBackground);
        // Rows of one frame see the same backdrop; sharing one copy saves a row's worth of pixels for each.
        const QImage pixels = capture.toImage();
        const QString key = QStringLiteral("kalvane-backdrop-%1x%2-%3")
                                .arg(pixels.width())
                                .arg(pixels.height())
                                .arg(qHash(QByteArrayView(pixels.constBits(), pixels.sizeInBytes())));
        if (!QPixmapCache::find(key, &m_pixmap) || m_pixmap.toImage() != pixels) {
            m_pixmap = capture;
            QPixmapCache::insert(key, m_pixmap);
        }
    }
    return m_pixmap;
}
