#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

class QWidget;

enum class IconKind
{
    Large,
    Small
};

// Our stand-in for the window-system calls, so tests can watch what is asked and set.
class WindowSystem
{
public:
    virtual ~WindowSystem() = default;
    // nullptr when the window has no owner.
    virtual QWidget *owner(QWidget *window) = 0;
    virtual QSize largeIconSize() = 0;
    virtual QSize smallIconSize() = 0;
    // A null pixmap when no icon of that name exists.
    virtual QPixmap loadIcon(const QString &name, QSize size) = 0;
    // A null image takes the window's icon of that kind away and keeps the other kind.
    virtual void setIcon(QWidget *window, IconKind kind, const QPixmap &image) = 0;
};

// The window-system calls answered by Qt: parents as owners, sizes from the style, icons from our resources.
class QtWindowSystem : public WindowSystem
{
public:
    QWidget *owner(QWidget *window) override;
    QSize largeIconSize() override;
    QSize smallIconSize() override;
    // The name matches an icon under :/icons whatever its letter case, as resource names do on Windows.
    QPixmap loadIcon(const QString &name, QSize size) override;
    void setIcon(QWidget *window, IconKind kind, const QPixmap &image) override;

private:
    // The large and the small icon come from one picture, decoded once.
    QString m_decodedPath;
    QImage m_decoded;
};

// A window icon's picture at another size, as the window shows it.
QImage scaledIcon(const QImage &picture, QSize size);

// A scaled icon as the build stores it for start-up, and back; a null image when the data is not one.
QByteArray packedIcon(const QImage &icon);
QImage unpackedIcon(QByteArrayView data);

// Sets the large and the small icon on the window and, when alsoTopOwner is true, first on its top owner.
void Set_Window_Icons(QWidget *window, const QString &name, bool alsoTopOwner, WindowSystem &system);
