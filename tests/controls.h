#pragma once

#include "widgets/elementname.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QTest>

// A control of a window by its object name; a test that names a missing control stops at once.
template <typename T> T *findControl(const QObject &window, const QString &name)
{
    auto *found = window.findChild<T *>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

// A pick in a settings list, as the operator makes it.
inline void pickItem(const QObject &window, int list, const QString &item)
{
    auto *box = findControl<QComboBox>(window, elementName("Combo1", list));
    const int index = box->findText(item);
    QVERIFY2(index >= 0, qPrintable(item));
    box->setCurrentIndex(index);
    emit box->activated(index);
}

// Every open answers on a later turn of the event loop; the fake port's on the next one.
inline void letTheOpenAnswer()
{
    QCoreApplication::sendPostedEvents();
}
