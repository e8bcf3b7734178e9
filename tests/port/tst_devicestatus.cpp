#include "port/devicestatus.h"

#include <QTest>

// How the device's side of the cable is put into words, in the tooltip and the journal.
class TestDeviceStatus : public QObject
{
    Q_OBJECT

private slots:
    void wording_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const InputLines ctsAndCd{true, false, true, false};
        QTest::newRow("lines known") << linesText(ctsAndCd) << "линии: CTS ● DSR ○ CD ● RI ○";
        QTest::newRow("lines the device cannot tell") << linesText(std::nullopt) << "линии: нет сведений";
        QTest::newRow("lines in the journal") << linesNote(ctsAndCd) << "линии: CTS=1 DSR=0 CD=1 RI=0";
        QTest::newRow("every count in the tooltip")
            << errorsText({3, 0, 0, 1}) << "ошибки приёма: кадра 3, чётности 0, переполнения 0, разрывов 1";
        QTest::newRow("only the kinds that came") << errorKinds({0, 5, 0, 1}) << "чётности 5, разрывов 1";
        QTest::newRow("the kinds that came, as a rise") << errorKinds({12, 0, 0, 0}, "+") << "кадра +12";
    }
    void wording()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
    }
};

QTEST_GUILESS_MAIN(TestDeviceStatus)
#include "tst_devicestatus.moc"
