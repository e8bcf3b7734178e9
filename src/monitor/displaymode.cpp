#include "displaymode.h"

#include "hexrender.h"
#include "widgets/colorbutton.h"
#include "widgets/colorcode.h"

#include <QLabel>

DisplayMode::DisplayMode(ColorButton *Command5, ColorButton *Command6, const std::array<QLabel *, 10> &Label3,
                         QObject *parent)
    : QObject(parent), Command5(Command5), Command6(Command6), Label3(Label3)
{
}

void DisplayMode::Command5_Click()
{
    Text_Mode = 1;
    Command5->setBackColor(ColorCode::BrightGreen);
    Command6->setBackColor(ColorCode::ButtonFace);
}

void DisplayMode::Command6_Click()
{
    Text_Mode = 0;
    Command5->setBackColor(ColorCode::ButtonFace);
    Command6->setBackColor(ColorCode::BrightGreen);
}

void DisplayMode::Decoder_Pacet(const QByteArray &Rx_Data, int Row_Index)
{
    Label3[Row_Index]->setText(QString::number(Rx_Data.size()));
    Hex_Data = hexRendering(Rx_Data);
}
