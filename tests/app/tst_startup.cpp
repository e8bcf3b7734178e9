#include <QProcess>
#include <QTest>

// The program itself, started where it cannot show its window.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void withoutADisplayItSaysWhyAndEnds_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        // --demo throughout: were the check missing, no port would be opened all the same.
        QTest::newRow("no display") << QStringList{"--demo"} << 1
                                    << "kalvane: нужен графический сеанс: не задана ни одна из переменных "
                                       "DISPLAY, WAYLAND_DISPLAY и QT_QPA_PLATFORM\n";
        QTest::newRow("help needs none") << QStringList{"--demo", "--version"} << 0 << "Kalvane 1.0\n";
    }
    void withoutADisplayItSaysWhyAndEnds()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, output);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(KALVANE_BINARY), arguments);
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), status);
        QCOMPARE(QString::fromUtf8(program.readAllStandardError() + program.readAllStandardOutput()), output);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
