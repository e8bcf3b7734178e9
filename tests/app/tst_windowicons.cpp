#include "app/dibimage.h"
#include "app/windowicons.h"

#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QResource>
#include <QTest>
#include <QWidget>
#include <QtEndian>

// Logs what Set_Window_Icons asks of the window system and lets Qt do the work.
class RecordingSystem : public QtWindowSystem
{
public:
    QStringList calls;

    QWidget *owner(QWidget *window) override
    {
        calls << "owner of " + window->objectName();
        return QtWindowSystem::owner(window);
    }

    void setIcon(QWidget *window, IconKind kind, const QPixmap &image) override
    {
        calls << QStringLiteral("%1 to %2%3")
                     .arg(kind == IconKind::Large ? "large" : "small", window->objectName(),
                          image.isNull() ? " (null)" : "");
        QtWindowSystem::setIcon(window, kind, image);
    }
};

// A window owned by a window that is owned by a third.
struct OwnerChain
{
    OwnerChain()
    {
        top.setObjectName("top");
        middle.setObjectName("middle");
        window.setObjectName("window");
    }
    QWidget *named(const QString &name)
    {
        return name == top.objectName() ? &top : top.findChild<QWidget *>(name);
    }
    QWidget top;
    QWidget middle{&top, Qt::Window};
    QWidget window{&middle, Qt::Window};
};

static QList<QSize> bothSizes()
{
    QtWindowSystem system;
    return {system.largeIconSize(), system.smallIconSize()};
}

// A window without an icon of its own shows its parent's, so only its own counts here.
static QList<QSize> iconSizes(const QWidget &window)
{
    if (!window.testAttribute(Qt::WA_SetWindowIcon))
        return {};
    QList<QSize> sizes = window.windowIcon().availableSizes();
    std::sort(sizes.begin(), sizes.end(), [](QSize a, QSize b) { return a.width() > b.width(); });
    return sizes;
}

class TestWindowIcons : public QObject
{
    Q_OBJECT

private slots:
    void setsIconsInOrder_data();
    void setsIconsInOrder();
    void findsNameInAnyCase_data();
    void findsNameInAnyCase();
    void nullImageRemovesOnlyItsKind();
    void resourceImagesLoad_data();
    void resourceImagesLoad();
    void pictureIsIndexed8();
    void readyMadeSizesAreTheScaledPicture();
    void damagedPackedIconIsRefused_data();
    void damagedPackedIconIsRefused();
};

void TestWindowIcons::setsIconsInOrder_data()
{
    QTest::addColumn<bool>("alsoTopOwner");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("withIcons");

    QTest::newRow("two owner levels, top owner too")
        << true << "window"
        << QStringList{"owner of window", "owner of middle", "owner of top",   "large to top",
                       "large to window", "small to top",    "small to window"}
        << QStringList{"top", "window"};
    QTest::newRow("two owner levels, window alone")
        << false << "window" << QStringList{"large to window", "small to window"} << QStringList{"window"};
    QTest::newRow("no owner, window is its own top owner")
        << true << "top"
        << QStringList{"owner of top", "large to top", "large to top", "small to top", "small to top"}
        << QStringList{"top"};
}

void TestWindowIcons::setsIconsInOrder()
{
    QFETCH(bool, alsoTopOwner);
    QFETCH(QString, target);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, withIcons);
    OwnerChain chain;
    RecordingSystem system;

    Set_Window_Icons(chain.named(target), "Icon1", alsoTopOwner, system);

    QCOMPARE(system.calls, calls);
    for (const QWidget *window : {&chain.top, &chain.middle, &chain.window}) {
        const QList<QSize> expected = withIcons.contains(window->objectName()) ? bothSizes() : QList<QSize>{};
        QCOMPARE(iconSizes(*window), expected);
    }
}

void TestWindowIcons::findsNameInAnyCase_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("found");

    QTest::newRow("as the program asks") << "Icon1" << true;
    QTest::newRow("as the group is stored") << "ICON1" << true;
    QTest::newRow("lower case") << "icon1" << true;
    QTest::newRow("unknown name") << "Icon2" << false;
    QTest::newRow("file name with extension") << "ICON1.ico" << false;
    QTest::newRow("empty name") << "" << false;
}

void TestWindowIcons::findsNameInAnyCase()
{
    QFETCH(QString, name);
    QFETCH(bool, found);
    QWidget window;
    QtWindowSystem system;
    Set_Window_Icons(&window, "Icon1", false, system);

    Set_Window_Icons(&window, name, false, system);

    QCOMPARE(iconSizes(window), found ? bothSizes() : QList<QSize>{});
}

void TestWindowIcons::nullImageRemovesOnlyItsKind()
{
    QWidget window;
    QtWindowSystem system;
    Set_Window_Icons(&window, "Icon1", false, system);

    system.setIcon(&window, IconKind::Large, QPixmap());

    QCOMPARE(iconSizes(window), QList<QSize>{system.smallIconSize()});
}

void TestWindowIcons::resourceImagesLoad_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QList<QSize>>("sizes");

    QTest::newRow("window icon") << ":/icons/ICON1.ico" << QList<QSize>{{256, 256}};
    QTest::newRow("file icon") << ":/icons/kalvane.ico" << QList<QSize>{{32, 32}, {32, 32}, {16, 16}};
    QTest::newRow("panel picture") << ":/image2.bmp" << QList<QSize>{{256, 256}};
}

void TestWindowIcons::resourceImagesLoad()
{
    QFETCH(QString, path);
    QFETCH(QList<QSize>, sizes);
    QImageReader reader(path);

    QList<QSize> read;
    do {
        read << reader.read().size();
    } while (reader.jumpToNextImage());

    QCOMPARE(read, sizes);
}

void TestWindowIcons::pictureIsIndexed8()
{
    const QImage picture(":/image2.bmp");

    QCOMPARE(picture.format(), QImage::Format_Indexed8);
    QCOMPARE(picture.colorCount(), 256);
}

void TestWindowIcons::readyMadeSizesAreTheScaledPicture()
{
    QtWindowSystem system;
    const QImage picture = readImage(":/icons/ICON1.ico");
    for (const QSize size : {system.largeIconSize(), system.smallIconSize()}) {
        const QString ready = QStringLiteral(":/sized/ICON1.%1x%2").arg(size.width()).arg(size.height());
        QVERIFY2(QResource(ready).isValid(), qPrintable(ready));
        QCOMPARE(system.loadIcon("icon1", size).toImage(),
                 QPixmap::fromImage(scaledIcon(picture, size)).toImage());
    }
}

void TestWindowIcons::damagedPackedIconIsRefused_data()
{
    QTest::addColumn<QByteArray>("data");

    const QByteArray whole = packedIcon(QImage(8, 4, QImage::Format_ARGB32));
    const auto withField = [&whole](int field, qint32 value) {
        QByteArray data = whole;
        qToLittleEndian(value, data.data() + 4 * field);
        return data;
    };
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("header only") << whole.first(16);
    QTest::newRow("last line cut short") << whole.chopped(1);
    QTest::newRow("no such format") << withField(2, QImage::NImageFormats);
    QTest::newRow("lines shorter than the width") << withField(3, 4);
    QTest::newRow("negative height") << withField(1, -4);
}

void TestWindowIcons::damagedPackedIconIsRefused()
{
    QFETCH(QByteArray, data);
    QVERIFY(unpackedIcon(data).isNull());
}

QTEST_MAIN(TestWindowIcons)
#include "tst_windowicons.moc"
