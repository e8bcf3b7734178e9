#include "../form1fixture.h"

#include "widgets/colorbutton.h"
#include "widgets/colorcode.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <unistd.h>
#include <vector>

namespace {

constexpr char InsideSession[] = "KALVANE_ATSPI_SESSION";
constexpr char BusLauncher[] = "/usr/libexec/at-spi-bus-launcher";
constexpr char Python[] = "/usr/bin/python3";

// Reads the window as a screen reader does: one line per accessible (role, name, checked, description), then
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
    print('\t'.join([node.getRoleName(), node.name, 'checked' if checked else '-',
                     node.description.replace('\n', '|')]))
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

struct Node
{
    QString role, name;
    bool checked;
    QString description;
};

} // namespace

// The window as a screen reader meets it, over AT-SPI: indicator states in words, and the active button of
// each pair checked.
class TestAccessibility : public QObject
{
    Q_OBJECT

private:
    std::optional<QList<Node>> readWindow(const QString &press = {})
    {
        QProcess probe;
        probe.start(QLatin1String(Python),
                    {"-c", Probe, QString::number(QCoreApplication::applicationPid()), press});
        QSignalSpy finished(&probe, &QProcess::finished);
        // The window answers the probe from this event loop.
        if (!finished.wait(120000)) {
            probe.kill();
            probe.waitForFinished();
        }
        if (probe.exitCode() == 77)
            return std::nullopt;
        [&] { QVERIFY2(probe.exitCode() == 0, probe.readAllStandardError().constData()); }();
        QList<Node> nodes;
        for (const QString &line :
             QString::fromUtf8(probe.readAllStandardOutput()).split(QLatin1Char('\n'))) {
            const QStringList fields = line.split(QLatin1Char('\t'));
            if (fields.size() == 4)
                nodes.append({fields[0], fields[1], fields[2] == QLatin1String("checked"), fields[3]});
        }
        return nodes;
    }

    static const Node *named(const QList<Node> &nodes, const QString &name)
    {
        const auto found =
            std::find_if(nodes.begin(), nodes.end(), [&](const Node &n) { return n.name == name; });
        return found == nodes.end() ? nullptr : &*found;
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
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        f.form->pollingCycle().clock = [] { return QTime(9, 30, 15, 250); };
        f.port->feed("abc");
        f.form->pollingCycle().Timer1_Timer();
        f.port->unplug();
        f.form->pollingCycle().Timer1_Timer();

        const auto before = readWindow(QStringLiteral("DTR Enb"));
        if (QTest::currentTestFailed())
            return;
        if (!before)
            QSKIP("no accessibility bus could start");
        const QList<Node> &nodes = *before;
        const Node *port = named(nodes, QStringLiteral("закрыт"));
        QVERIFY(port);
        QCOMPARE(port->description,
                 QStringLiteral("/dev/ttyS0 — связь потеряна: устройство отключено или не отвечает"));
        const auto rowStates = [&](const QString &state) {
            return std::count_if(nodes.begin(), nodes.end(), [&](const Node &n) { return n.name == state; });
        };
        QCOMPARE(rowStates(QStringLiteral("пройдена")), 1);
        QCOMPARE(rowStates(QStringLiteral("записана последней")), 1);
        QCOMPARE(rowStates(QStringLiteral("не записана")), 8);
        QCOMPARE(
            named(nodes, QStringLiteral("записана последней"))->description,
            QStringLiteral("повтор посылки от 09:30:15.250 — порт закрыт|3 байта, в шестнадцатеричном виде"));
        for (const auto &[button, checked] : {std::pair{"DTR Dis", true},
                                              {"DTR Enb", false},
                                              {"RTS Dis", true},
                                              {"RTS Enb", false},
                                              {"Bit", true},
                                              {"Text", false}}) {
            QVERIFY2(named(nodes, QLatin1String(button)), button);
            QVERIFY2(named(nodes, QLatin1String(button))->checked == checked, button);
        }

        QTRY_COMPARE(f.find<ColorButton>(QStringLiteral("Command3"))->backColor(), ColorCode::BrightGreen);
        const auto after = readWindow();
        QVERIFY(after);
        QVERIFY(named(*after, QStringLiteral("DTR Enb"))->checked);
        QVERIFY(!named(*after, QStringLiteral("DTR Dis"))->checked);
        QVERIFY(f.form->Comm1().dtrEnable());
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
