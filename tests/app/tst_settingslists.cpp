#include "../form1fixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStyleOptionComboBox>
#include <QTimer>
#include <QWheelEvent>

// The settings lists driven by keys and mouse as the operator does: only a pick closes and reopens the port.
class TestSettingsLists : public QObject
{
    Q_OBJECT

private:
    // A loaded, shown and focused window with the focus on the interval box, away from every list.
    static void bringUp(Form1Fixture &f)
    {
        f.form->Form_Load();
        letTheOpenAnswer();
        f.form->show();
        QApplication::setActiveWindow(f.form.get());
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        f.find<QWidget>("Text2")->setFocus();
    }

    static QComboBox *list(const Form1Fixture &f, int index)
    {
        return f.find<QComboBox>(elementName("Combo1", index));
    }

    static bool popupShown(QComboBox *box) { return box->view()->isVisible(); }

    static void clickArrow(QComboBox *box)
    {
        QStyleOptionComboBox option;
        option.initFrom(box);
        option.editable = true;
        option.subControls = QStyle::SC_All;
        const QRect arrow =
            box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, box);
        QTest::mouseClick(box, Qt::LeftButton, {}, arrow.center());
    }

    static void clickItem(QComboBox *box, const QString &item)
    {
        QAbstractItemView *view = box->view();
        const QModelIndex index = view->model()->index(box->findText(item), 0);
        view->scrollTo(index);
        const QPoint at = view->visualRect(index).center();
        QTest::mouseMove(view->viewport(), at);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    }

    // Makes one gesture on a list; false when its list did not open or close.
    static bool perform(Form1Fixture &f, QComboBox *box, const QString &gesture)
    {
        const auto open = [&](const QString &how) {
            if (how == "arrow")
                clickArrow(box);
            else if (how == "F4")
                QTest::keyClick(box, Qt::Key_F4);
            else
                QTest::keyClick(box, Qt::Key_Down, Qt::AltModifier);
            return QTest::qWaitFor([&] { return popupShown(box); });
        };
        const auto closed = [&] { return QTest::qWaitFor([&] { return !popupShown(box); }); };
        if (gesture.startsWith("open by ")) {
            const QStringList parts = gesture.mid(8).split(", ");
            if (parts[0] != "arrow")
                box->setFocus();
            if (!open(parts[0]))
                return false;
            if (parts[1] == "hover, scroll and Escape") {
                QAbstractItemView *view = box->view();
                QTest::mouseMove(view->viewport(), view->visualRect(view->model()->index(0, 0)).center());
                QTest::keyClick(view, Qt::Key_PageDown);
            }
            if (parts[1] == "click outside") {
                // The open list holds the mouse, so a click on another control reaches the list's window
                // first.
                QWidget *elsewhere = f.find<QWidget>("Text2");
                QWidget *popup = box->view()->window();
                QTest::mouseClick(popup, Qt::LeftButton, {},
                                  popup->mapFromGlobal(elsewhere->mapToGlobal(elsewhere->rect().center())));
            } else
                QTest::keyClick(box->view(), Qt::Key_Escape);
            return closed();
        }
        box->setFocus();
        if (gesture == "Tab")
            QTest::keyClick(box, Qt::Key_Tab);
        else if (gesture == "Shift+Tab")
            QTest::keyClick(box, Qt::Key_Tab, Qt::ShiftModifier);
        else if (gesture == "click on another control")
            QTest::mouseClick(f.find<QWidget>("Text2"), Qt::LeftButton);
        else if (gesture == "Enter in the edit field")
            QTest::keyClick(box, Qt::Key_Return);
        else if (gesture == "wheel over the closed box") {
            for (int delta : {-120, 120, 120}) {
                QWheelEvent wheel(box->rect().center(), box->mapToGlobal(box->rect().center()), {},
                                  {0, delta}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
                QApplication::sendEvent(box, &wheel);
            }
        } else if (gesture == "type another item, Tab") {
            box->lineEdit()->selectAll();
            QTest::keyClicks(box, box->itemText(1));
            QTest::keyClick(box, Qt::Key_Tab);
        }
        return true;
    }

private slots:
    void onlyAPickReopens_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("gesture");
        const QStringList gestures{"open by arrow, Escape",
                                   "open by F4, Escape",
                                   "open by Alt+Down, Escape",
                                   "open by arrow, click outside",
                                   "open by F4, hover, scroll and Escape",
                                   "Tab",
                                   "Shift+Tab",
                                   "click on another control",
                                   "Enter in the edit field",
                                   "wheel over the closed box",
                                   "type another item, Tab"};
        for (int index = 0; index < 5; ++index)
            for (const QString &gesture : gestures)
                QTest::addRow("Combo1(%d): %s", index, qPrintable(gesture)) << index << gesture;
    }
    void onlyAPickReopens()
    {
        QFETCH(int, index);
        QFETCH(QString, gesture);
        Form1Fixture f;
        bringUp(f);
        QComboBox *box = list(f, index);
        const QString shown = box->currentText();
        QVERIFY(perform(f, box, gesture));
        QVERIFY(!f.find<QTimer>("Timer2")->isActive());
        QCOMPARE(f.port->closeCount, 0);
        QCOMPARE(f.port->openCalls.size(), 1);
        if (!gesture.startsWith("type"))
            QCOMPARE(box->currentText(), shown);
    }

    void aPickReopensOnceWithTheItem_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<QString>("expected");
        QTest::newRow("baud: Down on the closed box moves on from 9600") << 1 << "Down"
                                                                         << "14400";
        QTest::newRow("baud: Up on the closed box moves back from 9600") << 1 << "Up"
                                                                         << "4800";
        QTest::newRow("data bits: Up on the closed box moves back from 8") << 3 << "Up"
                                                                           << "7";
        QTest::newRow("port: Down on the closed box") << 0 << "Down"
                                                      << "2";
        QTest::newRow("baud: click on an item of the open list") << 1 << "click 19200"
                                                                 << "19200";
        QTest::newRow("parity: click on an item of the open list") << 2 << "click e"
                                                                   << "e";
        QTest::newRow("stop bits: click on the shown item") << 4 << "click 1"
                                                            << "1";
        QTest::newRow("baud: Enter on the highlighted item") << 1 << "Down, Enter"
                                                             << "14400";
        QTest::newRow("data bits: Enter on the highlighted item") << 3 << "Up, Enter"
                                                                  << "7";
    }
    void aPickReopensOnceWithTheItem()
    {
        QFETCH(int, index);
        QFETCH(QString, gesture);
        QFETCH(QString, expected);
        Form1Fixture f;
        bringUp(f);
        QComboBox *box = list(f, index);
        QSignalSpy picks(box, &QComboBox::activated);
        box->setFocus();
        if (gesture == "Down" || gesture == "Up") {
            QTest::keyClick(box, gesture == "Down" ? Qt::Key_Down : Qt::Key_Up);
        } else {
            QTest::keyClick(box, Qt::Key_F4);
            QTRY_VERIFY(popupShown(box));
            if (gesture.startsWith("click ")) {
                clickItem(box, gesture.mid(6));
            } else {
                QTest::keyClick(box->view(), gesture.startsWith("Down") ? Qt::Key_Down : Qt::Key_Up);
                QTest::keyClick(box->view(), Qt::Key_Return);
            }
        }
        QCOMPARE(box->currentText(), expected);
        QCOMPARE(picks.size(), 1);
        QCOMPARE(f.port->closeCount, 1);
        QTRY_VERIFY(!f.find<QTimer>("Timer2")->isActive());
        QCOMPARE(f.port->openCalls.size(), 2);
        QCOMPARE(f.port->closeCount, 1);
    }

    void theCurrentItemIsTheOneTheTextNames_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("current");
        QTest::newRow("port at start") << 0 << QString() << "1";
        QTest::newRow("baud at start") << 1 << QString() << "9600";
        QTest::newRow("parity at start") << 2 << QString() << "n";
        QTest::newRow("data bits at start") << 3 << QString() << "8";
        QTest::newRow("stop bits at start") << 4 << QString() << "1";
        QTest::newRow("port typed 7") << 0 << "7"
                                      << "7";
        QTest::newRow("baud typed 115200") << 1 << "115200"
                                           << "115200";
        QTest::newRow("baud typed text naming no item keeps the last named") << 1 << "96000"
                                                                             << "9600";
        QTest::newRow("parity typed in capitals names no item") << 2 << "E"
                                                                << "n";
        QTest::newRow("baud typed the start of an item is not completed") << 1 << "1152"
                                                                          << "9600";
    }
    void theCurrentItemIsTheOneTheTextNames()
    {
        QFETCH(int, index);
        QFETCH(QString, typed);
        QFETCH(QString, current);
        Form1Fixture f;
        bringUp(f);
        QComboBox *box = list(f, index);
        if (!typed.isEmpty()) {
            box->setFocus();
            box->lineEdit()->selectAll();
            QTest::keyClicks(box, typed);
            QCOMPARE(box->currentText(), typed);
        }
        QCOMPARE(box->itemText(box->currentIndex()), current);
        QTest::keyClick(box, Qt::Key_F4);
        QTRY_VERIFY(popupShown(box));
        QCOMPARE(box->view()->currentIndex().row(), box->findText(current));
        QTest::keyClick(box->view(), Qt::Key_Escape);
        QTRY_VERIFY(!popupShown(box));
        QCOMPARE(f.port->openCalls.size(), 1);
    }
};

QTEST_MAIN(TestSettingsLists)
#include "tst_settingslists.moc"
