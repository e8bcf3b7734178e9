#include "../check.h"

#include "port/commport.h"
#include "port/fakebackend.h"

namespace {

// Position-dependent bytes, so that a byte repeated, skipped or moved shows.
char streamByte(quint32 position)
{
    return char((position * 2654435761u) >> 24);
}

} // namespace

// Bytes arriving in chunks of any size, read by ticks at any moment: each tick returns every byte that came
// since the last, once and in order, up to the receive bound, and counts the rest as dropped; a close forgets
// what was waiting.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    auto backend = std::make_unique<FakeBackend>();
    FakeBackend *device = backend.get();
    CommPort port(std::move(backend));
    // No event loop here: the device answers each open when told.
    device->answerLater = true;
    const auto open = [&] {
        port.setPortOpen(true);
        device->finishOpen();
        return port.state() == CommPort::State::Open;
    };
    FUZZ_CHECK(open());
    QByteArray held;
    qsizetype fedSinceTick = 0;
    quint32 position = 0;
    const auto tick = [&] {
        const auto reading = port.input();
        FUZZ_CHECK(reading && *reading == held);
        FUZZ_CHECK(port.droppedAtLastInput() == fedSinceTick - held.size());
        held.clear();
        fedSinceTick = 0;
    };
    for (size_t i = 0; i < size;) {
        const uint8_t op = data[i++];
        switch (op % 4) {
        case 0:
        case 1: {
            // Two bytes of length reach past the 64 KiB bound in one chunk.
            qsizetype length = op >> 2;
            if (op % 4 == 1 && i + 2 <= size) {
                length = data[i] << 8 | data[i + 1];
                i += 2;
            }
            QByteArray chunk(length, Qt::Uninitialized);
            for (char &byte : chunk)
                byte = streamByte(position++);
            device->feed(chunk);
            fedSinceTick += length;
            held.append(chunk.left(CommPort::ReceiveCapacity - held.size()));
            break;
        }
        case 2:
            tick();
            break;
        case 3:
            port.setPortOpen(false);
            FUZZ_CHECK(open());
            held.clear();
            fedSinceTick = 0;
            break;
        }
    }
    tick();
    return 0;
}
