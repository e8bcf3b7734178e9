#include "colorbutton.h"

#include "colorcode.h"

#include <QStyleOptionButton>
#include <QStylePainter>

ColorButton::ColorButton(const QString &caption, quint32 backColor, QWidget *parent)
    : QPushButton(caption, parent), m_backColor(backColor)
{
    setCheckable(true);
    setChecked(m_backColor == ColorCode::BrightGreen);
    // A screen reader's "toggle" flips the state without a press: it is made the press it stands for.
    connect(this, &QAbstractButton::toggled, this, [this](bool checked) {
        if (checked == (m_backColor == ColorCode::BrightGreen))
            return;
        click();
        setChecked(m_backColor == ColorCode::BrightGreen);
    });
}

void ColorButton::setBackColor(quint32 code)
{
    if (code == m_backColor)
        return;
    m_backColor = code;
    setChecked(m_backColor == ColorCode::BrightGreen);
    update();
}

// Fusion would shade a palette colour with a gradient, and a style sheet brings a font of its own: the face
// is painted flat here, and the caption by the style in the window's font.
void ColorButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    painter.fillRect(rect(), colorFromCode(m_backColor));
    const int border = hasFocus() ? 2 : 1;
    painter.setPen(QPen(palette().color(hasFocus() ? QPalette::Highlight : QPalette::Mid), border));
    painter.drawRect(QRectF(rect()).adjusted(border / 2.0, border / 2.0, -border / 2.0, -border / 2.0));
    QStyleOptionButton option;
    initStyleOption(&option);
    // The colour shows the choice; a checked caption is not drawn as pressed in.
    option.state &= ~QStyle::State_On;
    option.palette.setColor(QPalette::ButtonText, readableOn(colorFromCode(m_backColor),
                                                             option.palette.color(QPalette::ButtonText)));
    option.rect = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    painter.drawControl(QStyle::CE_PushButtonLabel, option);
}
