#include "../churn.h"
#include "../form1fixture.h"
#include "../recordingbackend.h"

#include "port/qtbackend.h"
#include "widgets/colorbutton.h"

#include <termios.h>

// A pseudo-terminal behind a symlink, lost and put back under the same name, on the real backend.
class TestReconnect : public QObject
{
    Q_OBJECT

private slots:
    void aLostDeviceBackUnderItsNameIsReopened_data()
    {
        QTest::addColumn<bool>("reconnect");
        QTest::newRow("reopens with its settings and lines and reads on") << true;
        QTest::newRow("with --no-reconnect it stays closed") << false;
    }
    void aLostDeviceBackUnderItsNameIsReopened()
    {
        QFETCH(bool, reconnect);
        churn::PluggablePty adapter;
        QTemporaryDir logDir;
        QString reason;
        const QString logPath = logDir.filePath(QStringLiteral("port.log"));
        auto capture = Capture::open(logPath, &reason);
        QVERIFY2(capture, qPrintable(reason));
        auto real = std::make_unique<RecordingBackend>();
        RecordingBackend *backend = real.get();
        QStringList messages;
        // No Form_Load: it would open port 1, which is the console here.
        Form1 window({std::move(real), Form1Fixture::pinnedDates(),
                      [&messages](QWidget *, const QString &text) { messages << text; }, std::move(capture)});
        window.Comm1().setReconnect(reconnect);
        churn::Operator person(window);
        person.typePort(adapter.path);
        pickItem(window, 1, QStringLiteral("19200"));
        window.portSettings().Timer2_Timer();
        letTheOpenAnswer();
        QTest::mouseClick(window.controls().Command3, Qt::LeftButton);
        QVERIFY(person.portLampIs(ColorCode::Green));
        const auto logged = [&] {
            QFile log(logPath);
            return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
        };
        QVERIFY(adapter.send("before\r\n"));
        QTRY_COMPARE(logged(), QByteArray("before\r\n"));

        adapter.pullOut();
        QTRY_VERIFY(person.portLampIs(ColorCode::Red));
        backend->lineWrites.clear();
        QVERIFY(adapter.plugIn());
        if (!reconnect) {
            QTest::qWait(3 * NodeReturnWatch::LookInterval.count());
            QVERIFY(person.portLampIs(ColorCode::Red));
            QVERIFY(backend->lineWrites.isEmpty());
            return;
        }
        QTRY_VERIFY(person.portLampIs(ColorCode::Green));
        termios attributes{};
        QCOMPARE(::tcgetattr(adapter.pty().master(), &attributes), 0);
        QCOMPARE(::cfgetospeed(&attributes), speed_t(B19200));
        const QList<FakeBackend::LineWrite> reapplied{{'D', true}, {'R', false}};
        QCOMPARE(backend->lineWrites, reapplied);
        QVERIFY(adapter.send("after\r\n"));
        QTRY_COMPARE(logged(), QByteArray("before\r\nafter\r\n"));
        QVERIFY(messages.isEmpty());
    }
};

QTEST_MAIN(TestReconnect)
#include "tst_reconnect.moc"
