#include "windowicons.h"

#include "dibimage.h"

#include <QApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QStyle>
#include <QVariant>
#include <QWidget>
#include <QWindow>

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
        if (m_decodedPath != file.filePath())
            m_decoded = readImage(m_decodedPath = file.filePath());
        return QPixmap::fromImage(m_decoded.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
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
