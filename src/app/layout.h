#pragma once

#include "widgets/elementname.h"

#include <QString>
#include <array>

class ColorButton;
class IndicatorCircle;
class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QWidget;

// Every control of the main window, owned by the window through Qt parents.
struct Form1Controls
{
    QGroupBox *Frame1;
    std::array<QLabel *, 5> Label1;
    std::array<QComboBox *, 5> Combo1;
    IndicatorCircle *Shape1;

    QGroupBox *Frame2;
    std::array<IndicatorCircle *, 10> Shape2;
    std::array<QLineEdit *, 10> Text1;
    QLabel *Label4;
    std::array<QLabel *, 10> Label3;

    QGroupBox *Frame3;
    QLabel *Label2;
    QLineEdit *Text2;
    QPushButton *Command1;
    QPushButton *Command2;

    QLabel *Label6;
    ColorButton *Command3;
    ColorButton *Command4;
    ColorButton *Command7;
    ColorButton *Command8;
    QLabel *Label5;
    ColorButton *Command5;
    ColorButton *Command6;

    QFrame *Frame4;
    QPlainTextEdit *Text38;
    QPlainTextEdit *Text39;
    QLabel *Image2;

    QAction *mnu_Prog;
    QTimer *Timer1;
    QTimer *Timer2;
};

// The window's client area in logical pixels, below the menu bar.
inline constexpr int ClientWidth = 11700 / 15;
inline constexpr int ClientHeight = 7035 / 15;

// Builds the fixed design-time layout: twips become logical pixels at 15 per pixel.
Form1Controls buildForm1Layout(QMainWindow *window);
