#pragma once

#include "app/form1.h"
#include "serial/fakebackend.h"

#include <QComboBox>
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
    }

    static DateSource pinnedDates()
    {
        return {[] { return QDate(2026, 12, 7); }, [](int) { return QStringLiteral("Декабрь"); },
                [](int) { return QStringLiteral("понедельник"); }};
    }

    template <typename T> T *find(const QString &name) const
    {
        auto *found = form->findChild<T *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }

    // A pick in a settings list, as the operator makes it.
    void pick(int list, const QString &item)
    {
        auto *box = find<QComboBox>(elementName("Combo1", list));
        const int index = box->findText(item);
        QVERIFY2(index >= 0, qPrintable(item));
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
};
