#include "clicksignal.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

ClickSignal *ClickSignal::on(QWidget *widget)
{
    auto *signal = new ClickSignal(widget);
    widget->installEventFilter(signal);
    return signal;
}

bool ClickSignal::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
        emit clicked();
    return false;
}
