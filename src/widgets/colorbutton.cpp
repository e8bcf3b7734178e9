#include "colorbutton.h"

#include "colorcode.h"

ColorButton::ColorButton(const QString &caption, quint32 backColor, QWidget *parent)
    : QPushButton(caption, parent), m_backColor(backColor)
{
    setCheckable(true);
    applyBackColor();
}

void ColorButton::setBackColor(quint32 code)
{
    if (code == m_backColor)
        return;
    m_backColor = code;
    applyBackColor();
}

void ColorButton::applyBackColor()
{
    setChecked(m_backColor == ColorCode::BrightGreen);
    // A palette colour gets a gradient from Fusion; a style sheet with a border paints it flat.
    setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: 1px solid %2; }"
                                 "QPushButton:focus { border: 2px solid %3; }")
                      .arg(colorFromCode(m_backColor).name(), palette().color(QPalette::Mid).name(),
                           palette().color(QPalette::Highlight).name()));
}
