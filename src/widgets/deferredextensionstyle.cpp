#include "deferredextensionstyle.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <functional>

namespace {

// An icon that is made only when first drawn or measured.
class DeferredIconEngine : public QIconEngine
{
public:
    explicit DeferredIconEngine(std::function<QIcon()> make) : m_make(std::move(make)) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    QIconEngine *clone() const override { return new DeferredIconEngine(*this); }

private:
    QIcon &icon()
    {
        if (m_make)
            m_icon = std::exchange(m_make, nullptr)();
        return m_icon;
    }

    std::function<QIcon()> m_make;
    QIcon m_icon;
};

} // namespace

QIcon DeferredExtensionStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption *option,
                                           const QWidget *widget) const
{
    if (standardIcon != SP_ToolBarHorizontalExtensionButton)
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    // Asked of whatever style the application has when the icon is first drawn, as this one may have been
    // replaced by then; without an option, as the menu bar asks, the icon follows the application's
    // direction.
    return QIcon(new DeferredIconEngine([] {
        const QStyle *style = QApplication::style();
        if (const auto *proxy = qobject_cast<const QProxyStyle *>(style))
            style = proxy->baseStyle();
        return style->standardIcon(SP_ToolBarHorizontalExtensionButton);
    }));
}
