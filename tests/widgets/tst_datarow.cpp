#include "widgets/datarow.h"

#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QScreen>
#include <QTest>

namespace {

enum class Change
{
    Text,
    Hex,
    Empty,
    FieldColour,
    Deactivate,
    Activate
};

// Bytes as the rows show them in Text mode, near enough: Windows-1251's letters, Latin-1 for the rest.
QString cp1251ish(const QByteArray &bytes)
{
    QString text;
    for (const char byte : bytes) {
        const auto value = uchar(byte);
        text += value >= 0xC0 ? QChar(0x0410 + value - 0xC0) : QChar(value);
    }
    return text;
}

QString hex(const QByteArray &bytes)
{
    QString text;
    for (const char byte : bytes)
        text += QStringLiteral(" %1").arg(uchar(byte), 2, 16, QLatin1Char('0')).toUpper();
    return text;
}

// As the polling cycle writes a reading: read from its first character.
void show(std::initializer_list<QLineEdit *> edits, const QString &text)
{
    for (QLineEdit *edit : edits) {
        edit->setText(text);
        edit->setCursorPosition(0);
    }
}

} // namespace

Q_DECLARE_METATYPE(QList<Change>)

// A data row at rest must look exactly like the line edit it stands in for.
class TestDataRow : public QObject
{
    Q_OBJECT

private slots:
    void looksLikeALineEditAfterEveryChange_data()
    {
        QTest::addColumn<QByteArray>("reading");
        QTest::addColumn<QList<Change>>("changes");
        QRandomGenerator random(22);
        QByteArray noise(600, Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        QByteArray flood(60000, Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32 *>(flood.data()), flood.size() / 4);
        const QList<std::pair<const char *, QByteArray>> readings{
            {"empty", {}},
            {"random bytes", noise},
            {"control characters and a zero byte", QByteArray("A\x01\tB\0C\r\n", 8)},
            {"DEL run, then a word", QByteArray(400, '\x7F') + "AFTER-DEL"},
            {"soft hyphen run, then a word", QByteArray(400, '\xAD') + "AFTER-SHY"},
            {"Cyrillic", "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0"},
            {"60 000 bytes", flood},
        };
        const QList<std::pair<const char *, QList<Change>>> sequences{
            {"text", {Change::Text}},
            {"hex", {Change::Hex}},
            {"text, empty, text", {Change::Text, Change::Empty, Change::Text}},
            {"hex, empty, hex", {Change::Hex, Change::Empty, Change::Hex}},
            {"hex, text, hex", {Change::Hex, Change::Text, Change::Hex}},
            {"text, new field colour", {Change::Text, Change::FieldColour}},
            {"text, inactive, active", {Change::Text, Change::Deactivate, Change::Activate}},
        };
        for (const auto &[readingName, reading] : readings)
            for (const auto &[sequenceName, changes] : sequences)
                QTest::addRow("%s: %s", readingName, sequenceName) << reading << changes;
    }
    // After every change, what reached the screen: a resting row paints only when it is told to.
    void looksLikeALineEditAfterEveryChange()
    {
        QFETCH(QByteArray, reading);
        QFETCH(QList<Change>, changes);
        QWidget other;
        QGroupBox window(QStringLiteral("Экран данных"));
        // Frames whose look follows activation, as some desktop style sheets make them.
        window.setStyleSheet(
            QStringLiteral("QGroupBox:!active{background:#ffc0c0} QGroupBox:active{background:#c0e0ff}"));
        QFont font(QStringLiteral("PT Sans"));
        font.setPixelSize(11);
        font.setStyleStrategy(QFont::PreferNoShaping);
        window.setFont(font);
        window.resize(640, 90);
        QLineEdit plain(&window);
        DataRow row(&window);
        const QRect above(10, 20, 609, 23), below(10, 50, 609, 23);
        plain.setGeometry(above);
        row.setGeometry(below);
        for (QLineEdit *edit : {&plain, static_cast<QLineEdit *>(&row)}) {
            edit->setFocusPolicy(Qt::NoFocus);
            edit->setMaxLength(std::numeric_limits<int>::max());
        }
        other.show();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        for (qsizetype step = 0; step < changes.size(); ++step) {
            switch (changes[step]) {
            case Change::Text:
                show({&plain, &row}, cp1251ish(reading));
                break;
            case Change::Hex:
                show({&plain, &row}, hex(reading));
                break;
            case Change::Empty:
                show({&plain, &row}, QString());
                break;
            case Change::FieldColour: {
                QPalette palette = window.palette();
                palette.setColor(QPalette::Base, Qt::yellow);
                window.setPalette(palette);
                break;
            }
            case Change::Deactivate:
                other.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&other));
                break;
            case Change::Activate:
                window.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&window));
                break;
            }
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            const QImage screen =
                window.screen()->grabWindow(window.winId(), 0, 0, window.width(), window.height()).toImage();
            // In device pixels, where a platform grabs a scaled window whole (QT_SCALE_FACTOR under xcb).
            const qreal ratio = qreal(screen.width()) / window.width();
            const auto onScreen = [&](QRect r) {
                return screen.copy(QRectF(r.topLeft() * ratio, r.size() * ratio).toRect());
            };
            QVERIFY2(onScreen(below) == onScreen(above),
                     qPrintable(QStringLiteral("after change %1").arg(step + 1)));
        }
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
