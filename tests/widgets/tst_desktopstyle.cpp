#include "widgets/desktopstyle.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QMenuBar>
#include <QStyleFactory>
#include <QTest>
#include <memory>

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

// Looks exactly as the desktop's own style, with Qt's pictures read without the image plugins.
class TestDesktopStyle : public QObject
{
    Q_OBJECT

private:
    static QImage drawn(QStyle *style, const QString &title, bool checkable, int pixelSize)
    {
        QGroupBox box(title);
        box.setStyle(style);
        box.setCheckable(checkable);
        QFont font(QStringLiteral("PT Sans"));
        font.setPixelSize(pixelSize);
        box.setFont(font);
        box.resize(300, 120);
        return box.grab().toImage();
    }

private slots:
    // First, while no picture of Qt's own has been read in this process.
    void aFrameLooksAsTheDesktopStyleDrawsIt()
    {
        struct Box
        {
            QString title;
            bool checkable;
            int pixelSize;
        };
        const Box boxes[] = {{QStringLiteral("Экран данных полученных от Сом порта"), false, 11},
                             {QString(), false, 11},
                             {QString(), true, 11},
                             {QStringLiteral("Порт"), true, 20}};
        DesktopStyle style(QStyleFactory::create(QStringLiteral("Fusion")));
        QList<QImage> ours;
        for (const Box &box : boxes)
            ours << drawn(&style, box.title, box.checkable, box.pixelSize);
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QVERIFY(!maps.readAll().contains("imageformats"));

        // Not the wrapped style itself, which asks this one to draw the frame.
        const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        for (qsizetype i = 0; i < ours.size(); ++i)
            QCOMPARE(ours[i], drawn(fusion.get(), boxes[i].title, boxes[i].checkable, boxes[i].pixelSize));
    }

    void theOverflowPictureIsReadWhenItShows()
    {
        int asked = 0;
        QApplication::setStyle(new DesktopStyle(new CountingStyle(&asked)));
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
        QApplication::setStyle(new DesktopStyle);
        const QStyle *style = QApplication::style();
        const QIcon deferred = style->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
        const QIcon own = static_cast<const QProxyStyle *>(style)->baseStyle()->standardIcon(
            QStyle::SP_ToolBarHorizontalExtensionButton);
        QCOMPARE(deferred.actualSize(QSize(side, side), mode), own.actualSize(QSize(side, side), mode));
        QCOMPARE(deferred.pixmap(side, mode).toImage(), own.pixmap(side, mode).toImage());
    }
};

QTEST_MAIN(TestDesktopStyle)
#include "tst_desktopstyle.moc"
