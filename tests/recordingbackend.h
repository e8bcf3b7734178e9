#pragma once

#include "port/fakebackend.h"
#include "port/qtbackend.h"

// The real backend, with a record of the line levels the window asks for and of the bytes it reads: a
// pseudo-terminal has no modem lines to read back.
class RecordingBackend : public QtSerialBackend
{
public:
    void setDtr(bool raised) override
    {
        lineWrites.append({'D', raised});
        QtSerialBackend::setDtr(raised);
    }
    void setRts(bool raised) override
    {
        lineWrites.append({'R', raised});
        QtSerialBackend::setRts(raised);
    }
    QByteArray readAvailable() override
    {
        QByteArray bytes = QtSerialBackend::readAvailable();
        bytesRead += bytes.size();
        return bytes;
    }

    QList<FakeBackend::LineWrite> lineWrites;
    qsizetype bytesRead = 0;
};
