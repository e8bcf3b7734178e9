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

    // The parent's pixels beneath the widget, captured again once the widget has moved or been resized.
    const QPixmap &pixmap();
    // Counts the captures, the current one included. Pictures the widget drew over an earlier capture are
    // stale: the widget moved, or its look changed. Rows alike share the pixels of equal captures, so the
    // pixmap's own cache key cannot tell.
    int generation()
    {
        pixmap();
        return m_generation;
    }
    // From the widget's event(): a change of palette, style, activation or enabling may change what the
    // parent paints, and what the widget draws over it. True when the capture was dropped: the widget must
    // repaint, which Qt does not do on its own for activation when the palette's groups are alike.
    bool changed(const QEvent *event);

private:
    QWidget *m_widget;
    QPixmap m_pixmap;
    QRect m_geometry;
    int m_generation = 0;
};
