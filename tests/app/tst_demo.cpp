#include "../form1fixture.h"
#include "port/demodevice.h"
#include "port/qtbackend.h"
#include "widgets/colorcode.h"
#include "widgets/indicatorcircle.h"

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <csignal>

// The window on the built-in sample instrument, and the program itself in demo mode.
class TestDemo : public QObject
{
    Q_OBJECT

private slots:
    void rowsFillFromTheDemoAndPicksReopenIt()
    {
        DemoDevice device;
        QStringList messages;
        Form1 form({std::make_unique<QtSerialBackend>(), Form1Fixture::pinnedDates(),
                    [&](QWidget *, const QString &text) { messages << text; }});
        form.Form_Load(device.path());
        letTheOpenAnswer();
        auto *shape1 = form.findChild<IndicatorCircle *>(QStringLiteral("Shape1"));
        QCOMPARE(form.findChild<QComboBox *>(QStringLiteral("Combo1(0)"))->currentText(), device.path());
        QCOMPARE(shape1->backColor(), ColorCode::Green);

        QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
        const auto anyRowHas = [&](const QString &text) {
            for (int i = 0; i < 10; ++i)
                if (form.findChild<QLineEdit *>(elementName("Text1", i))->text().contains(text))
                    return true;
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(anyRowHas(QStringLiteral(" 0D 0A")), 10000);

        auto *baud = form.findChild<QComboBox *>(QStringLiteral("Combo1(1)"));
        baud->setCurrentIndex(baud->findText(QStringLiteral("19200")));
        emit baud->activated(baud->currentIndex());
        QTRY_COMPARE(shape1->backColor(), ColorCode::Green);
        QCOMPARE(form.Comm1().device(), device.path());
        QVERIFY(messages.isEmpty());
        // The instrument goes on sending through the reopened terminal.
        for (int i = 0; i < 10; ++i)
            form.findChild<QLineEdit *>(elementName("Text1", i))->clear();
        QTRY_VERIFY_WITH_TIMEOUT(anyRowHas(QStringLiteral(" 0D 0A")), 10000);
    }

    void theProgramOpensItsOwnTerminalAndNoSerialDevice()
    {
        const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
        if (strace.isEmpty())
            QSKIP("strace is not installed");
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("openat.log"));
        QProcess program;
        program.start(strace, {"-f", "-qq", "-e", "trace=open,openat,rt_sigaction", "-o", log, KALVANE_BINARY,
                               "--demo", "-platform", "offscreen"});
        QVERIFY(program.waitForStarted());

        // The program is the first process in the trace; it ends here whatever the outcome.
        const auto stop = [&] {
            ::kill(readAll(log).section(QLatin1Char(' '), 0, 0).toInt(), SIGTERM);
            return program.waitForFinished(60000);
        };
        auto stopOnFailure = qScopeGuard(stop);
        // The port's lock on the terminal the program made itself, and then the handlers that let SIGTERM
        // close the window: killed any earlier, the program would leave the lock file behind for other tests'
        // ports.
        const auto started = [&] {
            const QString trace = readAll(log);
            const qsizetype lock = trace.indexOf(QStringLiteral("/LCK..pts_"));
            return lock >= 0 &&
                   trace.indexOf(QStringLiteral("rt_sigaction(SIGINT, {sa_handler=0x"), lock) >= 0;
        };
        QTRY_VERIFY_WITH_TIMEOUT(started(), 60000);
        stopOnFailure.dismiss();
        QVERIFY(stop());
        const QString trace = readAll(log);
        QVERIFY(trace.contains(QStringLiteral("\"/dev/ptmx\"")));
        QVERIFY2(!trace.contains(QStringLiteral("/dev/ttyS")), qPrintable(trace));
    }

private:
    static QString readAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }
};

QTEST_MAIN(TestDemo)
#include "tst_demo.moc"
