#include "windowicons.h"

#include "dibimage.h"

#include <QApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QResource>
#include <QStyle>
#include <QVariant>
#include <QWidget>
#include <QWindow>
#include <QtEndian>
#include <cstring>

QWidget *QtWindowSystem::owner(QWidget *window)
{
    if (QWidget *parent = window->parentWidget())
        return parent->window();
    const QWindow *handle = window->windowHandle();
    const QWindow *transientParent = handle ? handle->transientParent() : nullptr;
    if (!transientParent)
        return nullptr;
    for (QWidget *candidate : QApplication::topLevelWidgets()) {
        if (candidate->windowHandle() == transientParent)
            return candidate;
    }
    return nullptr;
}

static QSize squareMetric(QStyle::PixelMetric metric)
{
    const int side = QApplication::style()->pixelMetric(metric);
    return {side, side};
}

QSize QtWindowSystem::largeIconSize()
{
    return squareMetric(QStyle::PM_LargeIconSize);
}

QSize QtWindowSystem::smallIconSize()
{
    return squareMetric(QStyle::PM_SmallIconSize);
}

QPixmap QtWindowSystem::loadIcon(const QString &name, QSize size)
{
    QDirIterator icons(QStringLiteral(":/icons"));
    while (icons.hasNext()) {
        const QFileInfo file(icons.next());
        if (file.completeBaseName().compare(name, Qt::CaseInsensitive) != 0)
            continue;
        // Decoding and scaling the large picture is a good part of start-up; the build scales it ahead of
        // time to the sizes the window usually asks for.
        const QResource ready(QStringLiteral(":/sized/%1.%2x%3")
                                  .arg(file.completeBaseName())
                                  .arg(size.width())
                                  .arg(size.height()));
        if (const QImage icon = unpackedIcon({ready.data(), ready.size()}); !icon.isNull())
            return QPixmap::fromImage(icon);
        if (m_decodedPath != file.filePath())
            m_decoded = readImage(m_decodedPath = file.filePath());
        return QPixmap::fromImage(scaledIcon(m_decoded, size));
    }
    return {};
}

void QtWindowSystem::setIcon(QWidget *window, IconKind kind, const QPixmap &image)
{
    // QIcon cannot drop one of its images, so each kind's image is kept on the window and the icon rebuilt.
    static const char *const largeKey = "kalvaneLargeIcon";
    static const char *const smallKey = "kalvaneSmallIcon";
    window->setProperty(kind == IconKind::Large ? largeKey : smallKey, image);
    QIcon icon;
    for (const char *key : {largeKey, smallKey}) {
        const auto pixmap = window->property(key).value<QPixmap>();
        if (!pixmap.isNull())
            icon.addPixmap(pixmap);
    }
    window->setWindowIcon(icon);
}

QImage scaledIcon(const QImage &picture, QSize size)
{
    return picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

namespace {

// Width, height, pixel format and bytes per line, then the lines.
constexpr qsizetype PackedHeaderSize = 4 * sizeof(qint32);

} // namespace

QByteArray packedIcon(const QImage &icon)
{
    QByteArray data(PackedHeaderSize, Qt::Uninitialized);
    const qint32 header[] = {icon.width(), icon.height(), qint32(icon.format()), qint32(icon.bytesPerLine())};
    qToLittleEndian<qint32>(header, 4, data.data());
    data.append(reinterpret_cast<const char *>(icon.constBits()), icon.sizeInBytes());
    return data;
}

QImage unpackedIcon(QByteArrayView data)
{
    if (data.size() < PackedHeaderSize)
        return {};
    qint32 header[4];
    qFromLittleEndian<qint32>(data.data(), 4, header);
    const auto [width, height, format, bytesPerLine] = header;
    if (width <= 0 || height <= 0 || format <= QImage::Format_Invalid || format >= QImage::NImageFormats ||
        bytesPerLine <= 0 || (data.size() - PackedHeaderSize) / bytesPerLine < height)
        return {};
    // Copied line by line, since Qt wants its pixels aligned and resource data need not be.
    QImage icon(width, height, QImage::Format(format));
    if (icon.isNull() || bytesPerLine < icon.bytesPerLine())
        return {};
    for (int y = 0; y < height; ++y)
        std::memcpy(icon.scanLine(y), data.data() + PackedHeaderSize + qsizetype(y) * bytesPerLine,
                    icon.bytesPerLine());
    return icon;
}

void Set_Window_Icons(QWidget *window, const QString &name, bool alsoTopOwner, WindowSystem &system)
{
    // Our own copy, so that nothing the window system does to the caller's string changes the name midway.
    const QString iconName = name;
    QWidget *topOwner = window;
    if (alsoTopOwner) {
        while (QWidget *next = system.owner(topOwner))
            topOwner = next;
    }

    const QPixmap large = system.loadIcon(iconName, system.largeIconSize());
    if (alsoTopOwner)
        system.setIcon(topOwner, IconKind::Large, large);
    system.setIcon(window, IconKind::Large, large);

    const QPixmap small = system.loadIcon(iconName, system.smallIconSize());
    if (alsoTopOwner)
        system.setIcon(topOwner, IconKind::Small, small);
    system.setIcon(window, IconKind::Small, small);
}
