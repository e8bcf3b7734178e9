#include "widgets/deferredextensionstyle.h"

#include <QApplication>
#include <QMenuBar>
#include <QTest>

namespace {

// The desktop's style, counting how often the overflow button's picture is asked for.
class CountingStyle : public QProxyStyle
{
public:
    explicit CountingStyle(int *asked) : m_asked(asked) {}

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option,
                       const QWidget *widget) const override
    {
        if (standardIcon == SP_ToolBarHorizontalExtensionButton)
            ++*m_asked;
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    }

private:
    int *m_asked;
};

} // namespace

// The menu bar's overflow button reads its picture only when it shows, and shows the style's own picture.
class TestDeferredExtensionStyle : public QObject
{
    Q_OBJECT

private slots:
    void theOverflowPictureIsReadWhenItShows()
    {
        int asked = 0;
        QApplication::setStyle(new DeferredExtensionStyle(new CountingStyle(&asked)));
        QMenuBar bar;
        bar.addAction(QStringLiteral("О программе"));
        bar.resize(bar.sizeHint());
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        bar.grab();
        QCOMPARE(asked, 0);

        // Too narrow for its menu: the overflow button shows.
        bar.resize(8, bar.height());
        auto *overflow = bar.findChild<QWidget *>(QStringLiteral("qt_menubar_ext_button"));
        QVERIFY(overflow);
        QTRY_VERIFY(overflow->isVisible());
        bar.grab();
        QCOMPARE(asked, 1);
    }

    void theOverflowPictureIsTheStylesOwn_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<QIcon::Mode>("mode");
        QTest::newRow("16 px") << 16 << QIcon::Normal;
        QTest::newRow("32 px") << 32 << QIcon::Normal;
        QTest::newRow("16 px disabled") << 16 << QIcon::Disabled;
    }
    void theOverflowPictureIsTheStylesOwn()
    {
        QFETCH(int, side);
        QFETCH(QIcon::Mode, mode);
        QApplication::setStyle(new DeferredExtensionStyle);
        const QStyle *style = QApplication::style();
        const QIcon deferred = style->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
        const QIcon own = static_cast<const QProxyStyle *>(style)->baseStyle()->standardIcon(
            QStyle::SP_ToolBarHorizontalExtensionButton);
        QCOMPARE(deferred.actualSize(QSize(side, side), mode), own.actualSize(QSize(side, side), mode));
        QCOMPARE(deferred.pixmap(side, mode).toImage(), own.pixmap(side, mode).toImage());
    }
};

QTEST_MAIN(TestDeferredExtensionStyle)
#include "tst_deferredextensionstyle.moc"
