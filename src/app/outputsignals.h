#pragma once

#include <QObject>

class ColorButton;
class CommPort;

// The DTR and RTS button pairs: each press writes the line and shows the pair's choice.
class OutputSignals : public QObject
{
    Q_OBJECT

public:
    OutputSignals(CommPort &Comm1, ColorButton *Command3, ColorButton *Command4, ColorButton *Command7,
                  ColorButton *Command8, QObject *parent = nullptr);

    void Command3_Click();
    void Command4_Click();
    void Command7_Click();
    void Command8_Click();

private:
    CommPort &Comm1;
    ColorButton *Command3;
    ColorButton *Command4;
    ColorButton *Command7;
    ColorButton *Command8;
};
