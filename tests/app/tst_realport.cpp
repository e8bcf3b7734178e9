#include "../form1fixture.h"
#include "../ptypair.h"
#include "../recordingbackend.h"

#include "port/qtbackend.h"
#include "widgets/colorbutton.h"
#include "widgets/colorcode.h"
#include "widgets/indicatorcircle.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <termios.h>

namespace {

// Puts the pseudo-terminal in place of the first serial port for this process alone; it never opens the port.
QString bindOverFirstPort(const PtyPair &pty)
{
    const char *port = "/dev/ttyS0";
    struct stat portStat
    {
    }, ptyStat{};
    if (::geteuid() != 0)
        return QStringLiteral("needs root for a private mount namespace");
    if (::stat(port, &portStat) != 0)
        return QStringLiteral("this machine has no /dev/ttyS0 to stand in for");
    if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return QStringLiteral("cannot make a private mount namespace: %1").arg(qt_error_string());
    if (::mount(pty.slavePath.toLocal8Bit().constData(), port, nullptr, MS_BIND, nullptr) != 0)
        return QStringLiteral("cannot bind the pseudo-terminal: %1").arg(qt_error_string());
    if (::stat(port, &portStat) != 0 || ::stat(pty.slavePath.toLocal8Bit().constData(), &ptyStat) != 0 ||
        portStat.st_rdev != ptyStat.st_rdev)
        qFatal("/dev/ttyS0 is not the pseudo-terminal after binding: refusing to go on");
    return {};
}

} // namespace

// Start-up, the line buttons and the cycle end to end: the real backend on a pseudo-terminal posing as
// port 1.
class TestRealPort : public QObject
{
    Q_OBJECT

    PtyPair pty;
    RecordingBackend *backend = nullptr;
    std::unique_ptr<Form1> form;
    QStringList messages;

private slots:
    void initTestCase()
    {
        QVERIFY(!pty.slavePath.isEmpty());
        if (const QString why = bindOverFirstPort(pty); !why.isEmpty())
            QSKIP(qPrintable(QStringLiteral("skipped: ") + why));
    }

    void init()
    {
        auto recording = std::make_unique<RecordingBackend>();
        backend = recording.get();
        form = std::make_unique<Form1>(
            Form1Services{std::move(recording), Form1Fixture::pinnedDates(),
                          [this](QWidget *, const QString &text) { messages << text; }});
        form->Form_Load();
        letTheOpenAnswer();
    }

    void cleanup()
    {
        form.reset();
        messages.clear();
    }

    void startUpOpensPortOneWithBothLinesDown()
    {
        QCOMPARE(form->Comm1().device(), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(form->Comm1().portOpen(), std::optional(true));
        QCOMPARE(form->findChild<IndicatorCircle *>("Shape1")->backColor(), ColorCode::Green);
        const QList<FakeBackend::LineWrite> down{{'D', false}, {'R', false}};
        QCOMPARE(backend->lineWrites, down);
        QVERIFY(messages.isEmpty());
    }

    void aPickAfterDtrEnbReopensWithDtrAskedUp()
    {
        QTest::mouseClick(form->findChild<ColorButton *>("Command3"), Qt::LeftButton);
        auto *baud = form->findChild<QComboBox *>("Combo1(1)");
        baud->setCurrentIndex(baud->findText("19200"));
        emit baud->activated(baud->currentIndex());
        QCOMPARE(form->Comm1().portOpen(), std::optional(false));
        backend->lineWrites.clear();
        form->portSettings().Timer2_Timer();
        letTheOpenAnswer();

        QCOMPARE(form->Comm1().portOpen(), std::optional(true));
        const QList<FakeBackend::LineWrite> reapplied{{'D', true}, {'R', false}};
        QCOMPARE(backend->lineWrites, reapplied);
        termios attributes{};
        QCOMPARE(::tcgetattr(pty.master(), &attributes), 0);
        QCOMPARE(::cfgetospeed(&attributes), speed_t(B19200));
    }

    void bytesAppearInTheRowTheTickWrites()
    {
        auto *start = form->findChild<QPushButton *>("Command1");
        QTest::mouseClick(start, Qt::LeftButton);
        form->findChild<QTimer *>("Timer1")->stop();

        QVERIFY(pty.writeAll(QByteArray("\x0D\x0A\x41", 3)));
        QTRY_COMPARE(backend->bytesRead, 3);
        form->pollingCycle().Timer1_Timer();
        QCOMPARE(form->findChild<QLineEdit *>("Text1(0)")->text(), QStringLiteral(" 0D 0A 41"));

        QTest::mouseClick(form->findChild<ColorButton *>("Command5"), Qt::LeftButton);
        QVERIFY(pty.writeAll("\xCF\xF3\xF1\xEA"));
        QTRY_COMPARE(backend->bytesRead, 7);
        form->pollingCycle().Timer1_Timer();
        QCOMPARE(form->findChild<QLineEdit *>("Text1(1)")->text(), QStringLiteral("Пуск"));
    }
};

QTEST_MAIN(TestRealPort)
#include "tst_realport.moc"
