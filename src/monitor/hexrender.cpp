#include "hexrender.h"

#include <array>

namespace {

constexpr auto digitPairs = [] {
    constexpr char16_t digits[] = u"0123456789ABCDEF";
    std::array<std::array<char16_t, 2>, 256> pairs{};
    for (int value = 0; value < 256; ++value)
        pairs[value] = {digits[value >> 4], digits[value & 0xF]};
    return pairs;
}();

} // namespace

QString hexRendering(QByteArrayView bytes)
{
    QString result(3 * bytes.size(), Qt::Uninitialized);
    QChar *out = result.data();
    for (const char byte : bytes) {
        const auto &pair = digitPairs[static_cast<unsigned char>(byte)];
        out[0] = u' ';
        out[1] = pair[0];
        out[2] = pair[1];
        out += 3;
    }
    return result;
}
