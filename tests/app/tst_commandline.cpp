#include "../form1fixture.h"
#include "app/commandline.h"
#include "widgets/colorcode.h"
#include "widgets/indicatorcircle.h"

#include <QTemporaryDir>
#include <QTest>

// The command line's answers without a window, and start-up on a port named there.
class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void endsAtOnceWithItsStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("toStderr");
        QTest::addColumn<QString>("expected");

        QTest::newRow("help") << QStringList{"--help"} << 0 << false << "Использование: kalvane";
        QTest::newRow("version") << QStringList{"--version"} << 0 << false << "Kalvane 1.0\n";
        QTest::newRow("unknown option")
            << QStringList{"--bogus"} << 2 << true << "неизвестный параметр «--bogus»";
        QTest::newRow("unknown short option") << QStringList{"-x", "3"} << 2 << true << "Использование";
        QTest::newRow("two ports") << QStringList{"3", "4"} << 2 << true << "лишний аргумент «4»";
        QTest::newRow("demo and a port") << QStringList{"--demo", "3"} << 2 << true << "--demo";
        QTest::newRow("port outside /dev")
            << QStringList{"/dev/../etc/passwd"} << 2 << true << "недопустимый";
        QTest::newRow("Qt option without its value") << QStringList{"-platform"} << 2 << true << "значения";
        QTest::newRow("log without its file") << QStringList{"3", "--log"} << 2 << true << "значения";
        QTest::newRow("log and journal to one file")
            << QStringList{"--log", "-", "--journal", "-"} << 2 << true << "--log и --journal";
    }

    void endsAtOnceWithItsStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(bool, toStderr);
        QFETCH(QString, expected);

        const auto parsed = parseCommandLine(QStringList{"kalvane"} + arguments);
        const auto *exit = std::get_if<CommandLineExit>(&parsed);
        QVERIFY(exit);
        QCOMPARE(exit->status, status);
        QCOMPARE(exit->toStderr, toStderr);
        QVERIFY2(exit->text.contains(expected), qPrintable(exit->text));
    }

    void startsTheWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("demo");
        QTest::addColumn<QString>("logPath");

        QTest::newRow("nothing") << QStringList{} << QString() << false << QString();
        QTest::newRow("port number") << QStringList{"3"} << "3" << false << QString();
        QTest::newRow("bare device name") << QStringList{"ttyUSB0"} << "ttyUSB0" << false << QString();
        QTest::newRow("stable path") << QStringList{"/dev/serial/by-id/usb-x"} << "/dev/serial/by-id/usb-x"
                                     << false << QString();
        QTest::newRow("demo") << QStringList{"--demo"} << QString() << true << QString();
        QTest::newRow("Qt's options pass")
            << QStringList{"-platform", "offscreen", "-style", "fusion", "-reverse", "ttyACM0"} << "ttyACM0"
            << false << QString();
        QTest::newRow("log to a file")
            << QStringList{"--log", "bench.log", "3"} << "3" << false << "bench.log";
        QTest::newRow("log to standard output") << QStringList{"--log=-"} << QString() << false << "-";
    }

    void startsTheWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, port);
        QFETCH(bool, demo);
        QFETCH(QString, logPath);

        const auto parsed = parseCommandLine(QStringList{"kalvane"} + arguments);
        const auto *options = std::get_if<CommandLineOptions>(&parsed);
        QVERIFY(options);
        QCOMPARE(options->port, port);
        QCOMPARE(options->demo, demo);
        QCOMPARE(options->logPath.value_or(QString()), logPath);
    }

    void noReconnectIsAskedForAndHelpSaysSo()
    {
        const auto options = [](const QStringList &arguments) {
            return std::get<CommandLineOptions>(parseCommandLine(QStringList{"kalvane"} + arguments));
        };
        QVERIFY(options({"3"}).reconnect);
        QVERIFY(!options({"--no-reconnect", "3"}).reconnect);
        const auto help = std::get<CommandLineExit>(parseCommandLine({"kalvane", "--help"}));
        QVERIFY2(help.text.contains(
                     QStringLiteral("  --no-reconnect    без него потерянный порт открывается сам")),
                 qPrintable(help.text));
    }

    void aLogThatCannotBeAppendedToEndsTheRun()
    {
        QTemporaryDir dir;
        CommandLineOptions options;
        options.logPath = dir.filePath(QStringLiteral("missing/bench.log"));
        const auto opened = openCapture(options);
        const auto *exit = std::get_if<CommandLineExit>(&opened);
        QVERIFY(exit);
        QCOMPARE(exit->status, 2);
        QVERIFY(exit->toStderr);
        QCOMPARE(exit->text,
                 QStringLiteral("kalvane: не удаётся открыть «%1» для дописывания: нет такого файла или "
                                "каталога\n")
                     .arg(*options.logPath));

        options.logPath = dir.filePath(QStringLiteral("bench.log"));
        QVERIFY(std::get<std::unique_ptr<Capture>>(openCapture(options)));
        options.logPath.reset();
        QVERIFY(!std::get<std::unique_ptr<Capture>>(openCapture(options)));
    }

    void aJournalIsOpenedAsALogIs()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("missing/j.tsv"));
        const auto parsed =
            parseCommandLine({"kalvane", "--log", dir.filePath("bench.log"), "--journal", missing, "3"});
        const auto &options = std::get<CommandLineOptions>(parsed);
        QCOMPARE(options.journalPath, missing);
        const auto opened = openJournal(options);
        const auto *exit = std::get_if<CommandLineExit>(&opened);
        QVERIFY(exit);
        QCOMPARE(exit->status, 2);
        QVERIFY(exit->text.contains(QStringLiteral("«%1» для дописывания: нет такого файла").arg(missing)));
    }

    void startUpOpensTheNamedPortInsteadOfTheFirst()
    {
        Form1Fixture f;
        f.form->Form_Load(QStringLiteral("2"));
        letTheOpenAnswer();

        QCOMPARE(f.find<QComboBox>("Combo1(0)")->currentText(), QStringLiteral("2"));
        QCOMPARE(f.port->openCalls.size(), 1);
        QCOMPARE(f.port->openCalls.first().device, QStringLiteral("/dev/ttyS1"));
        QCOMPARE(f.find<IndicatorCircle>("Shape1")->backColor(), ColorCode::Green);

        f.pick(1, QStringLiteral("19200"));
        f.form->portSettings().Timer2_Timer();
        letTheOpenAnswer();
        QCOMPARE(f.port->openCalls.last().device, QStringLiteral("/dev/ttyS1"));
    }

    void aRefusedStartPortOpensNothing()
    {
        Form1Fixture f;
        f.form->Form_Load(QStringLiteral("/dev/../dev/ttyS0"));
        letTheOpenAnswer();

        QVERIFY(f.port->openCalls.isEmpty());
        QCOMPARE(f.find<IndicatorCircle>("Shape1")->backColor(), ColorCode::Red);
        QVERIFY(f.messages.isEmpty());
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
