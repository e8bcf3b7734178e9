#include "journalline.h"

#include "cp1251.h"
#include "hexrender.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

// Each byte's text in the journal, at most four bytes long.
struct TextPiece
{
    char bytes[4];
    int size;
};

const std::array<TextPiece, 256> &textPieces()
{
    static const auto pieces = [] {
        std::array<TextPiece, 256> table{};
        for (int value = 0; value < 256; ++value) {
            TextPiece &piece = table[value];
            const char single = char(value);
            const char *escape = value == '\t'   ? "\\t"
                                 : value == '\r' ? "\\r"
                                 : value == '\n' ? "\\n"
                                 : value == '\\' ? "\\\\"
                                                 : nullptr;
            if (escape) {
                piece = {{escape[0], escape[1]}, 2};
            } else if (value < 0x20 || value == 0x7F || value == 0x98) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", value);
                piece = {{escaped[0], escaped[1], escaped[2], escaped[3]}, 4};
            } else {
                const QByteArray utf8 = cp1251Text(QByteArrayView(&single, 1)).toUtf8();
                std::copy(utf8.begin(), utf8.end(), piece.bytes);
                piece.size = int(utf8.size());
            }
        }
        return table;
    }();
    return pieces;
}

void appendStamp(QByteArray &line, const QDateTime &stamp)
{
    const QDate date = stamp.date();
    const QTime time = stamp.time();
    const int offset = stamp.offsetFromUtc();
    const int offsetMinutes = (offset < 0 ? -offset : offset) / 60;
    char text[40];
    const int size =
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", date.year(),
                      date.month(), date.day(), time.hour(), time.minute(), time.second(), time.msec(),
                      offset < 0 ? '-' : '+', offsetMinutes / 60, offsetMinutes % 60);
    line.append(text, size);
}

void appendText(QByteArray &line, QByteArrayView bytes)
{
    const auto &pieces = textPieces();
    for (const char byte : bytes) {
        const TextPiece &piece = pieces[static_cast<unsigned char>(byte)];
        line.append(piece.bytes, piece.size);
    }
}

} // namespace

QByteArray journalHeader()
{
    return QStringLiteral("время\tбайт\tBit\tText\tпримечание\n").toUtf8();
}

QByteArray journalNoteLine(const QDateTime &stamp, const QString &note)
{
    QByteArray line;
    appendStamp(line, stamp);
    line += "\t\t\t\t";
    // A note comes from the program, but a device path may hold anything.
    for (const char byte : note.toUtf8())
        line += byte == '\t' || byte == '\n' || byte == '\r' ? ' ' : byte;
    line += '\n';
    return line;
}

QString deviceNotes(const ReceiveErrors &errors, const std::optional<InputLines> &lines)
{
    QStringList notes;
    if (errors.any())
        notes << QStringLiteral("ошибки: ") + errorKinds(errors, QStringLiteral("+"));
    if (lines)
        notes << linesNote(*lines);
    return notes.join(QStringLiteral("; "));
}

QByteArray journalLine(const JournalReading &reading)
{
    QByteArray line;
    line.reserve(48 + 7 * reading.bytes.size());
    appendStamp(line, reading.stamp);
    line += '\t';
    line += QByteArray::number(reading.bytes.size());
    line += '\t';
    line += hexRendering(reading.bytes).toLatin1();
    line += '\t';
    appendText(line, reading.bytes);
    if (reading.repeated || reading.dropped > 0 || reading.errors.any() || reading.lines) {
        QStringList notes;
        if (reading.repeated)
            notes << QStringLiteral("повтор: порт закрыт");
        if (reading.dropped > 0)
            notes << QStringLiteral("отброшено ≥ %1").arg(reading.dropped);
        if (const QString device = deviceNotes(reading.errors, reading.lines); !device.isEmpty())
            notes << device;
        line += '\t';
        line += notes.join(QStringLiteral("; ")).toUtf8();
    }
    line += '\n';
    return line;
}
