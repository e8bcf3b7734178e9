#include "../form1fixture.h"

#include "widgets/colorbutton.h"
#include "widgets/colorcode.h"

// The DTR and RTS pairs: the line written, the colours shown, and both kept across a reopen.
class TestOutputSignals : public QObject
{
    Q_OBJECT

private slots:
    void pressWritesTheLineAndRepaintsThePair_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("partner");
        QTest::addColumn<char>("line");
        QTest::addColumn<bool>("raised");
        QTest::addColumn<bool>("portOpen");
        QTest::newRow("DTR Enb, open") << "Command3"
                                       << "Command4" << 'D' << true << true;
        QTest::newRow("DTR Dis, open") << "Command4"
                                       << "Command3" << 'D' << false << true;
        QTest::newRow("RTS Enb, open") << "Command7"
                                       << "Command8" << 'R' << true << true;
        QTest::newRow("RTS Dis, open") << "Command8"
                                       << "Command7" << 'R' << false << true;
        QTest::newRow("DTR Enb, closed") << "Command3"
                                         << "Command4" << 'D' << true << false;
        QTest::newRow("RTS Enb, closed") << "Command7"
                                         << "Command8" << 'R' << true << false;
    }
    void pressWritesTheLineAndRepaintsThePair()
    {
        QFETCH(QString, button);
        QFETCH(QString, partner);
        QFETCH(char, line);
        QFETCH(bool, raised);
        QFETCH(bool, portOpen);
        Form1Fixture f;
        if (!portOpen)
            f.port->devices.clear();
        f.form->Form_Load();
        letTheOpenAnswer();
        for (int press = 0; press < 2; ++press) {
            f.port->lineWrites.clear();
            QTest::mouseClick(f.find<ColorButton>(button), Qt::LeftButton);
            QCOMPARE(f.find<ColorButton>(button)->backColor(), ColorCode::BrightGreen);
            QCOMPARE(f.find<ColorButton>(partner)->backColor(), ColorCode::ButtonFace);
            const bool stored = line == 'D' ? f.form->Comm1().dtrEnable() : f.form->Comm1().rtsEnable();
            QCOMPARE(stored, raised);
            const QList<FakeBackend::LineWrite> expected =
                portOpen ? QList<FakeBackend::LineWrite>{{line, raised}} : QList<FakeBackend::LineWrite>{};
            QCOMPARE(f.port->lineWrites, expected);
        }
    }

    void linesAndPairsSurviveASettingsPick()
    {
        Form1Fixture f;
        f.form->Form_Load();
        letTheOpenAnswer();
        QTest::mouseClick(f.find<ColorButton>("Command3"), Qt::LeftButton);
        QTest::mouseClick(f.find<ColorButton>("Command7"), Qt::LeftButton);
        f.pick(1, "19200");
        f.form->portSettings().Timer2_Timer();
        letTheOpenAnswer();
        QCOMPARE(f.port->opened, true);
        QCOMPARE(f.port->dtr, true);
        QCOMPARE(f.port->rts, true);
        QCOMPARE(f.find<ColorButton>("Command3")->backColor(), ColorCode::BrightGreen);
        QCOMPARE(f.find<ColorButton>("Command4")->backColor(), ColorCode::ButtonFace);
        QCOMPARE(f.find<ColorButton>("Command7")->backColor(), ColorCode::BrightGreen);
        QCOMPARE(f.find<ColorButton>("Command8")->backColor(), ColorCode::ButtonFace);
    }
};

QTEST_MAIN(TestOutputSignals)
#include "tst_outputsignals.moc"
