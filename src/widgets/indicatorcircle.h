#pragma once

#include <QWidget>

// A filled circle whose colour is the whole message: port open, or which row was written.
class IndicatorCircle : public QWidget
{
    Q_OBJECT

public:
    explicit IndicatorCircle(quint32 backColor, QWidget *parent = nullptr);

    quint32 backColor() const { return m_backColor; }
    void setBackColor(quint32 code);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    quint32 m_backColor;
};
