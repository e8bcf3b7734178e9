#pragma once

#include <QProxyStyle>

// The desktop's style, except that the menu bar's overflow button asks for its picture only when it is drawn.
// Qt builds that button with every menu bar, and reading its picture loads every image plugin at start-up;
// the window is wide enough for its one menu, so the button never shows.
class DeferredExtensionStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};
