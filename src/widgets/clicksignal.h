#pragma once

#include <QObject>

// Turns a mouse click on any widget into a signal, for panels and pictures that have no click of their own.
class ClickSignal : public QObject
{
    Q_OBJECT

public:
    // Watches the widget and is owned by it.
    static ClickSignal *on(QWidget *widget);

signals:
    void clicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
};
