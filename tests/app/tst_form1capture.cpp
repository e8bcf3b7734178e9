#include "../form1fixture.h"
#include "../ptypair.h"

#include "port/qtbackend.h"
#include "widgets/indicatorcircle.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <thread>

namespace {

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator{seed};
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

qint64 fileSize(const QString &path)
{
    return QFileInfo(path).size();
}

std::unique_ptr<Capture> opened(const QString &path)
{
    QString error;
    auto capture = Capture::open(path, &error);
    if (!capture)
        qFatal("cannot open %s: %s", qPrintable(path), qPrintable(error));
    return capture;
}

std::unique_ptr<Form1> captureWindow(std::unique_ptr<SerialBackend> backend, const QString &path,
                                     std::unique_ptr<Capture> journal = {})
{
    return std::make_unique<Form1>(Form1Services{std::move(backend), Form1Fixture::pinnedDates(),
                                                 [](QWidget *, const QString &) {}, opened(path),
                                                 std::move(journal)});
}

} // namespace

// The window with a capture: what the port delivers reaches the file, and a failed capture is shown, not
// fatal.
class TestForm1Capture : public QObject
{
    Q_OBJECT

private slots:
    void everyByteReachesTheFileAcrossPicksAndTicks_data()
    {
        QTest::addColumn<bool>("polling");
        QTest::newRow("polling") << true;
        QTest::newRow("idle") << false;
    }
    void everyByteReachesTheFileAcrossPicksAndTicks()
    {
        QFETCH(bool, polling);
        PtyPair pty;
        QVERIFY(!pty.slavePath.isEmpty());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("log"));
        // No start-up: the real port 1 is never opened; the pseudo-terminal is typed into the port list.
        auto form = captureWindow(std::make_unique<QtSerialBackend>(), path);
        findControl<QComboBox>(*form, QStringLiteral("Combo1(0)"))->setEditText(pty.slavePath);
        if (polling) {
            findControl<QLineEdit>(*form, QStringLiteral("Text2"))->setText(QStringLiteral("20"));
            QTest::mouseClick(findControl<QPushButton>(*form, QStringLiteral("Command1")), Qt::LeftButton);
        }

        // Larger than the receive buffer, so the idle run also shows bytes the rows could never hold.
        const QByteArray bytes = randomBytes(5 * CommPort::ReceiveCapacity / 2, polling ? 1 : 2);
        const QList<qsizetype> cuts{0, bytes.size() / 3, bytes.size() * 3 / 4, bytes.size()};
        for (int part = 0; part + 1 < cuts.size(); ++part) {
            pickItem(*form, 1, part % 2 ? QStringLiteral("38400") : QStringLiteral("19200"));
            QTRY_COMPARE(form->Comm1().portOpen(), std::optional(true));
            // The window's thread must keep reading while the pseudo-terminal's buffer fills.
            bool written = false;
            {
                std::jthread writer(
                    [&] { written = pty.writeAll(bytes.sliced(cuts[part], cuts[part + 1] - cuts[part])); });
                QTRY_COMPARE_WITH_TIMEOUT(fileSize(path), cuts[part + 1], 20000);
            }
            QVERIFY(written);
        }
        form->Form_Unload();

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll() == bytes);
    }

    void aFailedCaptureIsShownAndTheWindowGoesOn()
    {
        auto fake = std::make_unique<FakeBackend>();
        FakeBackend *port = fake.get();
        auto form = captureWindow(std::move(fake), QStringLiteral("/dev/full"));
        form->Form_Load();
        letTheOpenAnswer();
        auto *shape1 = findControl<IndicatorCircle>(*form, QStringLiteral("Shape1"));
        QTest::mouseClick(findControl<QPushButton>(*form, QStringLiteral("Command1")), Qt::LeftButton);

        port->feed("A");
        QTRY_VERIFY(shape1->toolTip().contains(QStringLiteral("на устройстве нет места")));
        QVERIFY(shape1->toolTip().contains(QStringLiteral("остановлена")));
        QCOMPARE(shape1->accessibleDescription(), shape1->toolTip());

        port->feed("B");
        QTRY_VERIFY(
            findControl<QLineEdit>(*form, QStringLiteral("Text1(0)"))->text() == QStringLiteral(" 42") ||
            findControl<QLineEdit>(*form, QStringLiteral("Text1(1)"))->text() == QStringLiteral(" 42"));
    }

    void aFailedJournalIsShownAndTheCaptureGoesOn()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bench.log"));
        auto journal = opened(QStringLiteral("/dev/full"));
        journal->setSubject(QStringLiteral("Запись журнала"));
        auto fake = std::make_unique<FakeBackend>();
        FakeBackend *port = fake.get();
        auto form = captureWindow(std::move(fake), path, std::move(journal));
        form->Form_Load();
        letTheOpenAnswer();
        auto *shape1 = findControl<IndicatorCircle>(*form, QStringLiteral("Shape1"));
        QTRY_VERIFY(shape1->toolTip().contains(QStringLiteral("Запись журнала в «/dev/full» остановлена")));
        QVERIFY(shape1->toolTip().contains(QStringLiteral("на устройстве нет места")));
        QVERIFY(!shape1->toolTip().contains(path));

        QTest::mouseClick(findControl<QPushButton>(*form, QStringLiteral("Command1")), Qt::LeftButton);
        port->feed("AB");
        QTRY_COMPARE(findControl<QLineEdit>(*form, QStringLiteral("Text1(0)"))->text(),
                     QStringLiteral(" 41 42"));
        form->close();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("AB"));
    }
};

QTEST_MAIN(TestForm1Capture)
#include "tst_form1capture.moc"
