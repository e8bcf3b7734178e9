#pragma once

#include <QPushButton>

// A push button whose face is one flat colour, so a toggle pair shows its choice at a glance; the bright
// green one also reports itself checked, so a screen reader tells the choice too.
class ColorButton : public QPushButton
{
    Q_OBJECT

public:
    ColorButton(const QString &caption, quint32 backColor, QWidget *parent = nullptr);

    quint32 backColor() const { return m_backColor; }
    void setBackColor(quint32 code);

protected:
    void paintEvent(QPaintEvent *event) override;
    // A press performs the button's action only; the state follows the colour that action gives.
    void nextCheckState() override {}

private:
    quint32 m_backColor;
};
