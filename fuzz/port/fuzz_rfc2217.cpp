#include "../check.h"

#include "port/rfc2217.h"

#include <algorithm>

// The client hands back exactly the device's data, whatever telnet commands the server puts between its bytes
// and however the stream is cut; on any bytes at all it neither crashes nor answers with anything but
// three-byte negotiation replies.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto raw = QByteArrayView(data, qsizetype(size));
    Rfc2217Client client;
    client.start();
    FUZZ_CHECK(client.receive(raw).size() <= raw.size());
    FUZZ_CHECK(client.takeReplies().size() % 3 == 0);

    // The input read as a schedule: each step puts a device byte or one telnet command into the stream.
    QByteArray payload;
    QByteArray stream;
    const auto escaped = [&](char byte) {
        stream.append(byte);
        if (quint8(byte) == 0xff)
            stream.append(byte);
    };
    for (size_t i = 0; i + 1 < size; i += 2) {
        const uint8_t step = data[i];
        const char argument = char(data[i + 1]);
        switch (step % 4) {
        case 0:
            payload.append(argument);
            escaped(argument);
            break;
        case 1: // NOP to GA, a stray SE among them
            stream.append(char(0xff)).append(char(240 + quint8(argument) % 10));
            break;
        case 2: // WILL, WONT, DO or DONT
            stream.append(char(0xff)).append(char(251 + step / 4 % 4)).append(argument);
            break;
        case 3: // a subnegotiation of the option in argument, its body the next input bytes
            stream.append(char(0xff)).append(char(0xfa));
            escaped(argument);
            for (size_t n = step / 4 % 8; n > 0 && i + 2 < size; --n, ++i)
                escaped(char(data[i + 2]));
            stream.append(char(0xff)).append(char(0xf0));
            break;
        }
    }
    Rfc2217Client fed;
    fed.start();
    QByteArray out;
    for (qsizetype at = 0, k = 0; at < stream.size(); ++k) {
        const qsizetype chunk = 1 + data[size_t(k) % size] % 16;
        out += fed.receive(QByteArrayView(stream).sliced(at, std::min(chunk, stream.size() - at)));
        at += chunk;
    }
    FUZZ_CHECK(out == payload);
    FUZZ_CHECK(fed.takeReplies().size() % 3 == 0);
    return 0;
}
