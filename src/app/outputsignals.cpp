#include "outputsignals.h"

#include "port/commport.h"
#include "widgets/colorbutton.h"
#include "widgets/colorcode.h"

namespace {

void showActive(ColorButton *active, ColorButton *partner)
{
    active->setBackColor(ColorCode::BrightGreen);
    partner->setBackColor(ColorCode::ButtonFace);
}

} // namespace

OutputSignals::OutputSignals(CommPort &Comm1, ColorButton *Command3, ColorButton *Command4,
                             ColorButton *Command7, ColorButton *Command8, QObject *parent)
    : QObject(parent), Comm1(Comm1), Command3(Command3), Command4(Command4), Command7(Command7),
      Command8(Command8)
{
}

void OutputSignals::Command3_Click()
{
    Comm1.setDTREnable(true);
    showActive(Command3, Command4);
}

void OutputSignals::Command4_Click()
{
    Comm1.setDTREnable(false);
    showActive(Command4, Command3);
}

void OutputSignals::Command7_Click()
{
    Comm1.setRTSEnable(true);
    showActive(Command7, Command8);
}

void OutputSignals::Command8_Click()
{
    Comm1.setRTSEnable(false);
    showActive(Command8, Command7);
}
