#pragma once

#include "controls.h"

#include "app/form1.h"
#include "port/fakebackend.h"

#include <QComboBox>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

// A window on the fake port with a pinned date and recorded messages; nothing reaches a screen or a device.
struct Form1Fixture
{
    FakeBackend *port = nullptr;
    QStringList messages;
    // Runs while the message "box" is open, as the operator's nested event loop would.
    std::function<void()> whileMessageShown;
    // An empty /dev, so that a lost port waits for a device the test puts there, whatever this machine has.
    QTemporaryDir deviceRoot;
    std::unique_ptr<Form1> form;

    explicit Form1Fixture(DateSource dates = pinnedDates())
    {
        auto backend = std::make_unique<FakeBackend>();
        port = backend.get();
        form = std::make_unique<Form1>(
            Form1Services{std::move(backend), std::move(dates), [this](QWidget *, const QString &text) {
                              messages << text;
                              if (whileMessageShown)
                                  whileMessageShown();
                          }});
        form->Comm1().setDeviceRoot(deviceRoot.path());
    }

    static DateSource pinnedDates()
    {
        return {[] { return QDate(2026, 12, 7); }, [](int) { return QStringLiteral("Декабрь"); },
                [](int) { return QStringLiteral("понедельник"); }};
    }

    template <typename T> T *find(const QString &name) const { return findControl<T>(*form, name); }
    void pick(int list, const QString &item) { pickItem(*form, list, item); }
};
