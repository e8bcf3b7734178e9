#include "fakebackend.h"

#include <utility>

void FakeBackend::open(const PortAddress &address, const LineSettings &settings)
{
    m_address = address;
    openCalls.append({address.name(), settings});
    if (answerLater)
        return;
    QMetaObject::invokeMethod(
        this,
        [this, answer = ++m_answer] {
            if (answer == m_answer)
                finishOpen();
        },
        Qt::QueuedConnection);
}

void FakeBackend::reconfigure(const LineSettings &settings)
{
    open(m_address, settings);
}

void FakeBackend::finishOpen(std::optional<SerialError> failure)
{
    if (!failure)
        failure = openFailure(openCalls.last().device);
    if (!failure) {
        opened = true;
        // Like Linux: opening raises both lines.
        dtr = rts = true;
    }
    emit openFinished(failure);
}

std::optional<SerialError> FakeBackend::openFailure(const QString &device) const
{
    if (!devices.contains(device))
        return SerialError::NoSuchDevice;
    if (busyDevices.contains(device))
        return SerialError::Busy;
    if (openErrors.contains(device))
        return openErrors.value(device);
    if (refuseSettingsAtOpen)
        return SerialError::SettingsRefused;
    return std::nullopt;
}

void FakeBackend::close()
{
    ++m_answer;
    opened = false;
    ++closeCount;
    pending.clear();
}

std::optional<bool> FakeBackend::isOpen() const
{
    if (stateUnreadable)
        return std::nullopt;
    return opened;
}

void FakeBackend::setDtr(bool raised)
{
    dtr = raised;
    lineWrites.append({'D', raised});
}

void FakeBackend::setRts(bool raised)
{
    rts = raised;
    lineWrites.append({'R', raised});
}

QByteArray FakeBackend::readAvailable()
{
    return std::exchange(pending, {});
}

qsizetype FakeBackend::discardInput()
{
    return std::exchange(pending, {}).size();
}

void FakeBackend::feed(const QByteArray &bytes)
{
    if (!opened)
        return;
    pending.append(bytes);
    emit readyRead();
}

void FakeBackend::unplug()
{
    emit lost();
}
