#pragma once

#include "../controls.h"

#include "app/outputsignals.h"
#include "app/portsettings.h"
#include "port/commport.h"
#include "port/fakebackend.h"
#include "port/settingslists.h"
#include "widgets/colorbutton.h"
#include "widgets/colorcode.h"
#include "widgets/elementname.h"
#include "widgets/indicatorcircle.h"
#include "widgets/settingslist.h"

#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

// The settings lists, the port indicator and the line buttons over the fake port, wired as the window wires
// them; nothing reaches a screen or a device.
struct SerialFixture
{
    QWidget window;
    FakeBackend *port = new FakeBackend;
    CommPort comm1{std::unique_ptr<SerialBackend>(port)};
    QStringList messages;
    // Runs while the message "box" is open, as the operator's nested event loop would.
    std::function<void()> whileMessageShown;

    std::array<QComboBox *, 5> combo1 = makeLists();
    IndicatorCircle *shape1 = named(new IndicatorCircle(ColorCode::Red, &window), "Shape1");
    QTimer *timer2 = named(new QTimer(&window), "Timer2");
    ColorButton *command3 = button("Command3", "DTR Enb", ColorCode::ButtonFace);
    ColorButton *command4 = button("Command4", "DTR Dis", ColorCode::BrightGreen);
    ColorButton *command7 = button("Command7", "RTS Enb", ColorCode::ButtonFace);
    ColorButton *command8 = button("Command8", "RTS Dis", ColorCode::BrightGreen);

    PortSettings portSettings{comm1, combo1, shape1, timer2, [this](const QString &text) {
                                  messages << text;
                                  if (whileMessageShown)
                                      whileMessageShown();
                              }};
    OutputSignals outputSignals{comm1, command3, command4, command7, command8};

    // An empty /dev, so that a lost port waits for a device the test puts there, whatever this machine has.
    QTemporaryDir deviceRoot;

    SerialFixture()
    {
        comm1.setDeviceRoot(deviceRoot.path());
        timer2->setInterval(100);
        for (int i = 0; i < 5; ++i)
            QObject::connect(combo1[i], &QComboBox::activated, &portSettings,
                             [this, i] { portSettings.Combo1_Click(i); });
        QObject::connect(timer2, &QTimer::timeout, &portSettings, &PortSettings::Timer2_Timer);
        QObject::connect(command3, &QPushButton::clicked, &outputSignals, &OutputSignals::Command3_Click);
        QObject::connect(command4, &QPushButton::clicked, &outputSignals, &OutputSignals::Command4_Click);
        QObject::connect(command7, &QPushButton::clicked, &outputSignals, &OutputSignals::Command7_Click);
        QObject::connect(command8, &QPushButton::clicked, &outputSignals, &OutputSignals::Command8_Click);
    }

    // The serial part of the window's start-up.
    void load()
    {
        comm1.setPortOpen(true);
        portSettings.Show_Port_State();
        command4->setBackColor(ColorCode::BrightGreen);
        command3->setBackColor(ColorCode::ButtonFace);
    }

    template <typename T> T *find(const QString &name) const { return findControl<T>(window, name); }
    void pick(int list, const QString &item) { pickItem(window, list, item); }

protected:
    template <typename T> T *named(T *object, const char *name)
    {
        object->setObjectName(QLatin1String(name));
        return object;
    }

private:
    std::array<QComboBox *, 5> makeLists()
    {
        std::array<QComboBox *, 5> lists;
        for (int i = 0; i < 5; ++i) {
            lists[i] = new SettingsList(settingsLists()[i].items, settingsLists()[i].textAtStart, &window);
            lists[i]->setObjectName(elementName("Combo1", i));
        }
        return lists;
    }
    ColorButton *button(const char *name, const char *caption, quint32 backColor)
    {
        return named(new ColorButton(QLatin1String(caption), backColor, &window), name);
    }
};
