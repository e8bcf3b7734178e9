#include "app/dibimage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The quick reader must see the program's bitmaps exactly as Qt's readers do, and leave the rest to them.
class TestDibImage : public QObject
{
    Q_OBJECT

private slots:
    void agreesWithQtsReaders_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("information panel bitmap") << QStringLiteral(":/image2.bmp");
        QTest::newRow("window icon") << QStringLiteral(":/icons/ICON1.ico");
        QTest::newRow("file icon, left to Qt") << QStringLiteral(":/icons/kalvane.ico");
    }
    void agreesWithQtsReaders()
    {
        QFETCH(QString, path);
        const QImage expected(path);
        QVERIFY(!expected.isNull());
        const QImage image = readImage(path);
        QCOMPARE(image.format(), expected.format());
        QCOMPARE(image, expected);
    }

    void cutShortIsNoCrash_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("length");
        QTest::newRow("bitmap, header only") << QStringLiteral(":/image2.bmp") << 20;
        QTest::newRow("bitmap, half its rows") << QStringLiteral(":/image2.bmp") << 30000;
        QTest::newRow("icon, directory only") << QStringLiteral(":/icons/ICON1.ico") << 22;
        QTest::newRow("icon, without its mask") << QStringLiteral(":/icons/ICON1.ico") << 66000;
    }
    void cutShortIsNoCrash()
    {
        QFETCH(QString, path);
        QFETCH(int, length);
        QFile whole(path);
        QVERIFY(whole.open(QIODevice::ReadOnly));
        QTemporaryDir dir;
        QFile cut(dir.filePath(QStringLiteral("cut")));
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(whole.read(length));
        cut.close();
        // Whatever Qt's readers make of it (a short bitmap's missing rows are left unset, so only its shape
        // is compared); the quick reader must only not read past the end.
        const QImage image = readImage(cut.fileName()), expected(cut.fileName());
        QCOMPARE(image.size(), expected.size());
        QCOMPARE(image.format(), expected.format());
    }
};

QTEST_GUILESS_MAIN(TestDibImage)
#include "tst_dibimage.moc"
