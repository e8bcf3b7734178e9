#pragma once

#include "backdrop.h"

#include <QAccessible>
#include <QHash>
#include <QPixmap>
#include <QWidget>

// A filled circle whose colour is the whole message: port open, or which row was written.
class IndicatorCircle : public QWidget, public QAccessible::ActivationObserver
{
    Q_OBJECT

public:
    explicit IndicatorCircle(quint32 backColor, QWidget *parent = nullptr);
    ~IndicatorCircle() override;

    quint32 backColor() const { return m_backColor; }
    void setBackColor(quint32 code);
    // What each colour means, in words, for screen readers; the accessible name follows every change of
    // colour while one listens.
    void setStateNames(const QHash<quint32, QString> &names);
    void accessibilityActiveChanged(bool active) override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap face(quint32 code);

    quint32 m_backColor;
    QHash<quint32, QString> m_stateNames;
    Backdrop m_backdrop{this};
    // One finished face per colour shown: a tick swaps two pictures rather than drawing two circles.
    QHash<quint32, QPixmap> m_faces;
    int m_facesGeneration = 0;
};
