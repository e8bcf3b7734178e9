#pragma once

#include "port/commport.h"

#include <QTest>

// Opens and waits for the answer, which every backend gives on a later turn of the event loop.
inline bool openAndWait(CommPort &port, int timeoutMs = 10000)
{
    port.setPortOpen(true);
    return QTest::qWaitFor([&port] { return port.state() != CommPort::State::Opening; }, timeoutMs) &&
           port.state() == CommPort::State::Open;
}
