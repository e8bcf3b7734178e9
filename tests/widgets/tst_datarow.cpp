#include "widgets/datarow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

// A data row at rest must look exactly like the line edit it stands in for.
class TestDataRow : public QObject
{
    Q_OBJECT

private slots:
    void looksLikeALineEditAtRest_data()
    {
        QTest::addColumn<QString>("text");
        // A new field colour leaves the parent's pixels beneath the row as they were.
        QTest::addColumn<bool>("newField");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("hex reading") << QStringLiteral(" 0D 0A 41") << false;
        QTest::newRow("Cyrillic text") << QStringLiteral("Привет, мир") << false;
        QTest::newRow("control characters and a zero byte")
            << QStringLiteral("A\x01\tB") + QChar(0) + "C" << false;
        QTest::newRow("longer than the row") << QStringLiteral(" FF").repeated(2000) << false;
        QTest::newRow("hex reading, then a new field colour") << QStringLiteral(" 0D 0A 41") << true;
    }
    void looksLikeALineEditAtRest()
    {
        QFETCH(QString, text);
        QFETCH(bool, newField);
        QWidget window;
        QLineEdit plain(&window);
        DataRow row(&window);
        const QRect above(0, 0, 609, 23), below(0, 30, 609, 23);
        plain.setGeometry(above);
        row.setGeometry(below);
        for (QLineEdit *edit : {&plain, static_cast<QLineEdit *>(&row)}) {
            edit->setFocusPolicy(Qt::NoFocus);
            edit->setMaxLength(std::numeric_limits<int>::max());
            edit->setText(text);
            edit->setCursorPosition(0);
        }
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (newField) {
            window.grab();
            QPalette palette = window.palette();
            palette.setColor(QPalette::Base, Qt::yellow);
            window.setPalette(palette);
        }
        // Seen in the window, as the row paints its parent's backdrop itself.
        QCOMPARE(window.grab(below).toImage(), window.grab(above).toImage());
    }

    void keepsTheWholeText()
    {
        DataRow row;
        row.setMaxLength(std::numeric_limits<int>::max());
        const QString reading = QStringLiteral(" 00").repeated(65536);
        row.setText(reading);
        QCOMPARE(row.text(), reading);
    }

    void clickSelectAllAndCopyReachTheWholeReading()
    {
        QWidget window;
        QLineEdit plain(&window);
        DataRow row(&window);
        const QString reading = QStringLiteral(" 0D 0A 41").repeated(20000);
        const QRect above(0, 0, 609, 23), below(0, 30, 609, 23);
        plain.setGeometry(above);
        row.setGeometry(below);
        for (QLineEdit *edit : {&plain, static_cast<QLineEdit *>(&row)}) {
            edit->setMaxLength(std::numeric_limits<int>::max());
            edit->setText(reading);
            edit->setCursorPosition(0);
        }
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QTest::mouseClick(&plain, Qt::LeftButton, {}, QPoint(300, 11));
        QTest::mouseClick(&row, Qt::LeftButton, {}, QPoint(300, 11));
        QVERIFY(row.hasFocus());
        QVERIFY(row.cursorPosition() > 0);
        QCOMPARE(row.cursorPosition(), plain.cursorPosition());

        QTest::keyClick(&row, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&row, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), reading);
        QTest::keyClick(&row, Qt::Key_End);
        QCOMPARE(row.cursorPosition(), reading.size());
    }
};

QTEST_MAIN(TestDataRow)
#include "tst_datarow.moc"
