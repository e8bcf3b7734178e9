#pragma once

#include "../controls.h"

#include "monitor/displaymode.h"
#include "monitor/pollingcycle.h"
#include "port/commport.h"
#include "port/fakebackend.h"
#include "widgets/colorbutton.h"
#include "widgets/colorcode.h"
#include "widgets/datarow.h"
#include "widgets/elementname.h"
#include "widgets/indicatorcircle.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <limits>

// The ten rows with their indicators and counts, the interval box, Start/Stop and the display pair over the
// fake port, wired as the window wires them.
struct MonitorFixture
{
    QWidget window;
    FakeBackend *port = new FakeBackend;
    CommPort comm1{std::unique_ptr<SerialBackend>(port)};
    std::array<QLineEdit *, 10> text1 = makeRows();
    std::array<IndicatorCircle *, 10> shape2 = makeArray<IndicatorCircle>(
        "Shape2", [this] { return new IndicatorCircle(ColorCode::WindowBackground, &window); });
    std::array<QLabel *, 10> label3 = makeArray<QLabel>("Label3", [this] { return new QLabel(&window); });
    QLineEdit *text2 = named(new QLineEdit(QStringLiteral("100"), &window), "Text2");
    QPushButton *command1 = named(new QPushButton(QStringLiteral("пуск"), &window), "Command1");
    QPushButton *command2 = named(new QPushButton(QStringLiteral("стоп"), &window), "Command2");
    ColorButton *command5 =
        named(new ColorButton(QStringLiteral("Text"), ColorCode::BrightGreen, &window), "Command5");
    ColorButton *command6 =
        named(new ColorButton(QStringLiteral("Bit"), ColorCode::ButtonFace, &window), "Command6");
    QTimer *timer1 = named(new QTimer(&window), "Timer1");

    DisplayMode displayMode{command5, command6, label3};
    PollingCycle pollingCycle{comm1, displayMode, text2, timer1, text1, shape2};

    MonitorFixture()
    {
        timer1->setInterval(1000);
        QObject::connect(command1, &QPushButton::clicked, &pollingCycle, &PollingCycle::Command1_Click);
        QObject::connect(command2, &QPushButton::clicked, &pollingCycle, &PollingCycle::Command2_Click);
        QObject::connect(timer1, &QTimer::timeout, &pollingCycle, &PollingCycle::Timer1_Timer);
        QObject::connect(command5, &QPushButton::clicked, &displayMode, &DisplayMode::Command5_Click);
        QObject::connect(command6, &QPushButton::clicked, &displayMode, &DisplayMode::Command6_Click);
    }

    // The window's start-up as far as the port and the display mode go.
    void load()
    {
        openPort();
        displayMode.Command6_Click();
    }

    // Opens as the reopen does, and waits for the port's answer, which comes on a later turn of the loop.
    void openPort()
    {
        comm1.setPortOpen(true);
        QTRY_VERIFY(comm1.state() != CommPort::State::Opening);
    }

    template <typename T> T *find(const QString &name) const { return findControl<T>(window, name); }

private:
    template <typename T> T *named(T *object, const char *name)
    {
        object->setObjectName(QLatin1String(name));
        return object;
    }
    template <typename T, typename Make> std::array<T *, 10> makeArray(const char *name, Make make)
    {
        std::array<T *, 10> elements;
        for (int i = 0; i < 10; ++i) {
            elements[i] = make();
            elements[i]->setObjectName(elementName(name, i));
        }
        return elements;
    }
    std::array<QLineEdit *, 10> makeRows()
    {
        return makeArray<QLineEdit>("Text1", [this] {
            auto *row = new DataRow(&window);
            row->setMaxLength(std::numeric_limits<int>::max());
            return row;
        });
    }
};
