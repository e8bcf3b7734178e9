#include "../check.h"

#include "monitor/cp1251.h"

#include <QHash>

namespace {

// Each byte's character, taken alone, and the byte each character stands for.
struct Table
{
    QChar character[256];
    QHash<QChar, int> byte;

    Table()
    {
        for (int value = 0; value < 256; ++value) {
            const char single = char(value);
            const QString text = cp1251Text(QByteArrayView(&single, 1));
            FUZZ_CHECK(text.size() == 1);
            character[value] = text[0];
            FUZZ_CHECK(value >= 0x80 || text[0] == QChar(value));
            FUZZ_CHECK(value == 0x98 || !byte.contains(text[0]));
            byte.insert(text[0], value);
        }
        FUZZ_CHECK(character[0x98] == QChar::ReplacementCharacter);
    }
};

} // namespace

// One character per byte, whatever surrounds it, and every byte but the unassigned 0x98 can be read back.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const Table table;
    const QString text = cp1251Text(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    FUZZ_CHECK(text.size() == qsizetype(size));
    for (size_t i = 0; i < size; ++i) {
        FUZZ_CHECK(text[qsizetype(i)] == table.character[data[i]]);
        FUZZ_CHECK(data[i] == 0x98 || table.byte.value(text[qsizetype(i)]) == data[i]);
    }
    return 0;
}
