#include "../form1fixture.h"

#include "widgets/colorbutton.h"
#include "widgets/colorcode.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <unistd.h>
#include <vector>

namespace {

constexpr char InsideSession[] = "KALVANE_ATSPI_SESSION";
constexpr char BusLauncher[] = "/usr/libexec/at-spi-bus-launcher";
constexpr char Python[] = "/usr/bin/python3";

// Reads the window as a screen reader does: one line per accessible (name, checked, description), then
// activates the button named by the second argument, if any, by its first action as a screen reader does.
// Exit status 77: no accessibility bus.
constexpr char Probe[] = R"(
import sys, time
import pyatspi
pid, press = int(sys.argv[1]), sys.argv[2]
try:
    desktop = pyatspi.Registry.getDesktop(0)
    desktop.childCount
except Exception as error:
    print('no accessibility bus:', error, file=sys.stderr)
    sys.exit(77)
def window():
    for app in desktop:
        if app is not None and app.get_process_id() == pid:
            return app
deadline = time.time() + 60
app = window()
while app is None and time.time() < deadline:
    time.sleep(0.2)
    app = window()
if app is None:
    sys.exit('the window never joined the accessibility bus')
def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)
nodes = list(walk(app))
for node in nodes:
    checked = node.getState().contains(pyatspi.STATE_CHECKED)
    print('\t'.join([node.name, 'checked' if checked else '-', node.description.replace('\n', '|')]))
for node in nodes:
    if press and node.name == press:
        node.queryAction().doAction(0)
)";

QStringList missingTools()
{
    QStringList missing;
    for (const char *tool : {"xvfb-run", "dbus-run-session"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            missing << QLatin1String(tool);
    for (const char *file : {BusLauncher, Python})
        if (!QFileInfo(QLatin1String(file)).isExecutable())
            missing << QLatin1String(file);
    if (missing.isEmpty() && QProcess::execute(QLatin1String(Python), {"-c", "import pyatspi"}) != 0)
        missing << QStringLiteral("python3-pyatspi");
    return missing;
}

// The test runs itself again inside a virtual X display and a private D-Bus session with an accessibility
// bus.
void reenterInsideASession(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet(InsideSession) || !missingTools().isEmpty())
        return;
    qputenv(InsideSession, "1");
    std::vector<char *> command{const_cast<char *>("xvfb-run"),
                                const_cast<char *>("-a"),
                                const_cast<char *>("dbus-run-session"),
                                const_cast<char *>("--"),
                                const_cast<char *>("sh"),
                                const_cast<char *>("-c"),
                                const_cast<char *>("\"$0\" --launch-immediately & exec \"$@\""),
                                const_cast<char *>(BusLauncher)};
    command.insert(command.end(), argv, argv + argc);
    command.push_back(nullptr);
    ::execvp(command[0], command.data());
    qunsetenv(InsideSession);
}

} // namespace

// The window as a screen reader meets it, over AT-SPI: indicator states in words, and the active button of
// each pair checked.
class TestAccessibility : public QObject
{
    Q_OBJECT

private:
    // One line per accessible: name, "checked" or "-", description with "|" for line breaks. Empty when no
    // accessibility bus could start.
    std::optional<QStringList> readWindow(const QString &press = {})
    {
        QProcess probe;
        probe.start(QLatin1String(Python),
                    {"-c", Probe, QString::number(QCoreApplication::applicationPid()), press});
        QSignalSpy finished(&probe, &QProcess::finished);
        // The window answers the probe from this event loop.
        if (!finished.wait(120000))
            probe.kill();
        if (!finished.isEmpty() && probe.exitCode() == 77)
            return std::nullopt;
        [&] { QVERIFY2(!finished.isEmpty() && probe.exitCode() == 0, probe.readAllStandardError()); }();
        return QString::fromUtf8(probe.readAllStandardOutput()).split(QLatin1Char('\n'));
    }

private slots:
    void screenReaderReadsStatesAndPressesButtons()
    {
        if (!qEnvironmentVariableIsSet(InsideSession))
            QSKIP(qPrintable(QStringLiteral("no accessibility bus can start here; missing: ") +
                             missingTools().join(QStringLiteral(", "))));
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("the virtual X display did not start");
        Form1Fixture f;
        f.form->Form_Load();
        letTheOpenAnswer();
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        f.form->pollingCycle().clock = [] { return QDateTime(QDate(2026, 12, 8), QTime(9, 30, 15, 250)); };
        f.port->feed("abc");
        f.form->pollingCycle().Timer1_Timer();
        f.port->unplug();
        f.form->pollingCycle().Timer1_Timer();

        const auto before = readWindow(QStringLiteral("DTR Enb"));
        if (QTest::currentTestFailed())
            return;
        if (!before)
            QSKIP("no accessibility bus could start");
        QVERIFY(before->contains(
            QStringLiteral("закрыт\t-\t/dev/ttyS0 — связь потеряна: устройство отключено или не отвечает|"
                           "ждём возвращения /dev/ttyS0")));
        QCOMPARE(before->count(QStringLiteral(
                     "пройдена\t-\tпосылка от 09:30:15.250|3 байта, в шестнадцатеричном виде")),
                 1);
        QCOMPARE(before->count(QStringLiteral("записана последней\t-\tповтор посылки от 09:30:15.250 — порт "
                                              "закрыт|3 байта, в шестнадцатеричном виде")),
                 1);
        QCOMPARE(before->count(QStringLiteral("не записана\t-\t")), 8);
        // The port box tells what is typed and which device it names. Each list's edit field bears its
        // label's name, as the label does; the list itself is named by its text.
        QCOMPARE(before
                     ->filter(QRegularExpression(
                         QStringLiteral("^1\t-\tВ поле порта набрано:\\|«1» — /dev/ttyS0\\|")))
                     .size(),
                 1);
        for (const char *label : {"СOM", "Скорость", "чет/нечет", "бит", "стоп бит"})
            QVERIFY2(before->count(QString::fromUtf8(label) + QStringLiteral("\t-\t")) == 2, label);
        for (const char *active : {"DTR Dis\tchecked\t", "DTR Enb\t-\t", "RTS Dis\tchecked\t", "RTS Enb\t-\t",
                                   "Bit\tchecked\t", "Text\t-\t"})
            QVERIFY2(before->contains(QLatin1String(active)), active);

        QTRY_COMPARE(f.find<ColorButton>(QStringLiteral("Command3"))->backColor(), ColorCode::BrightGreen);
        QVERIFY(f.form->Comm1().dtrEnable());
        const auto after = readWindow();
        QVERIFY(after);
        QVERIFY(after->contains(QStringLiteral("DTR Enb\tchecked\t")));
        QVERIFY(after->contains(QStringLiteral("DTR Dis\t-\t")));
    }
};

int main(int argc, char *argv[])
{
    reenterInsideASession(argc, argv);
    if (qEnvironmentVariableIsSet(InsideSession)) {
        // Without a display the window still comes up, offscreen, and the test skips.
        qputenv("QT_QPA_PLATFORM", "xcb;offscreen");
        qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    }
    QApplication app(argc, argv);
    TestAccessibility test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_accessibility.moc"
