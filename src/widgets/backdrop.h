#pragma once

#include <QPixmap>
#include <QRect>

class QEvent;
class QWidget;

// A copy of what a widget's parent paints beneath it. A widget that draws it first paints opaquely, so its
// own repaints stop repainting the parent: a group box lays out its title and redraws its frame at every
// repaint, many times the cost of a small child. Holds while the parent paints the same beneath the widget,
// as a frame does beneath the controls it holds.
class Backdrop
{
public:
    // Marks the widget as painting every pixel of itself.
    explicit Backdrop(QWidget *widget);

    // The parent's pixels beneath the widget, captured again once the widget has moved or been resized; a
    // new capture has a new cache key, which tells pictures drawn over the old one that they are stale.
    const QPixmap &pixmap();
    // From the widget's changeEvent: a change of palette, style, activation or enabling may change what the
    // parent paints.
    void changed(const QEvent *event);

private:
    QWidget *m_widget;
    QPixmap m_pixmap;
    QRect m_geometry;
};
