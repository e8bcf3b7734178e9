#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <array>

class ColorButton;
class QLabel;

// The Text/Bit toggle pair and the hexadecimal rendering with its byte count beside the row.
class DisplayMode : public QObject
{
    Q_OBJECT

public:
    DisplayMode(ColorButton *Command5, ColorButton *Command6, const std::array<QLabel *, 10> &Label3,
                QObject *parent = nullptr);

    void Command5_Click();
    void Command6_Click();
    void Decoder_Pacet(const QByteArray &Rx_Data, int Row_Index);

    // Any value but 0 shows readings as text.
    qint16 Text_Mode = 0;
    QString Hex_Data;

private:
    ColorButton *Command5;
    ColorButton *Command6;
    std::array<QLabel *, 10> Label3;
};
