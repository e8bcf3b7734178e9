#include "dibimage.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>

namespace {

constexpr qsizetype InfoHeaderSize = 40;
constexpr qsizetype FileHeaderSize = 14;
constexpr qsizetype IconEntrySize = 16;

quint32 u32(QByteArrayView data, qsizetype at)
{
    return qFromLittleEndian<quint32>(data.data() + at);
}

quint16 u16(QByteArrayView data, qsizetype at)
{
    return qFromLittleEndian<quint16>(data.data() + at);
}

// An 8-bit uncompressed DIB, bottom-up; an icon's DIB is twice as high, the AND mask (1 = transparent)
// following the colour rows. A null image for anything else or anything cut short.
QImage readDib(QByteArrayView dib, bool withMask)
{
    if (dib.size() < InfoHeaderSize || u32(dib, 0) != InfoHeaderSize)
        return {};
    const qint32 width = qint32(u32(dib, 4));
    const qint32 height = qint32(u32(dib, 8)) / (withMask ? 2 : 1);
    if (width < 1 || width > 4096 || height < 1 || height > 4096 || u16(dib, 12) != 1 || u16(dib, 14) != 8 ||
        u32(dib, 16) != 0)
        return {};
    // A full table: the program's bitmaps have one, and no index can then fall outside it.
    const quint32 used = u32(dib, 32);
    if (used != 0 && used != 256)
        return {};
    constexpr qsizetype colours = 256;
    const qsizetype stride = (width + 3) / 4 * 4;
    const qsizetype maskStride = (width + 31) / 32 * 4;
    const qsizetype pixels = InfoHeaderSize + colours * 4;
    const qsizetype mask = pixels + stride * height;
    if (dib.size() < mask + (withMask ? maskStride * height : 0))
        return {};

    QList<QRgb> table(colours);
    for (qsizetype i = 0; i < colours; ++i) {
        const auto *bgr = reinterpret_cast<const uchar *>(dib.data() + InfoHeaderSize + i * 4);
        table[i] = qRgb(bgr[2], bgr[1], bgr[0]);
    }
    QImage image(width, height, withMask ? QImage::Format_ARGB32_Premultiplied : QImage::Format_Indexed8);
    if (!withMask)
        image.setColorTable(table);
    for (qint32 y = 0; y < height; ++y) {
        const auto *row = reinterpret_cast<const uchar *>(dib.data() + pixels + (height - 1 - y) * stride);
        if (!withMask) {
            std::copy(row, row + width, image.scanLine(y));
            continue;
        }
        const auto *maskRow =
            reinterpret_cast<const uchar *>(dib.data() + mask + (height - 1 - y) * maskStride);
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        const QRgb *colour = table.constData();
        for (qint32 x = 0; x < width; ++x)
            out[x] = (maskRow[x / 8] >> (7 - x % 8)) & 1 ? qRgba(0, 0, 0, 0) : colour[row[x]];
    }
    return image;
}

QImage readQuickly(QByteArrayView data)
{
    if (data.size() >= FileHeaderSize && data.first(2) == QByteArrayView("BM")) {
        const quint32 offset = u32(data, 10);
        const QImage image = readDib(data.sliced(FileHeaderSize), false);
        // The colour rows must start where the file header says, right after the colour table.
        if (image.isNull() || offset != FileHeaderSize + InfoHeaderSize + image.colorCount() * 4)
            return {};
        return image;
    }
    if (data.size() >= 6 + IconEntrySize && u16(data, 0) == 0 && u16(data, 2) == 1 && u16(data, 4) == 1) {
        const quint32 size = u32(data, 6 + 8);
        const quint32 offset = u32(data, 6 + 12);
        if (offset > quint32(data.size()) || size > quint32(data.size()) - offset)
            return {};
        return readDib(data.sliced(offset, size), true);
    }
    return {};
}

} // namespace

QImage readImage(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    const QImage quick = readQuickly(data);
    return quick.isNull() ? QImage(path) : quick;
}
