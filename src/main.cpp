#include "app/commandline.h"
#include "app/form1.h"
#include "app/messagebox.h"
#include "app/shutdownsignals.h"
#include "port/demodevice.h"
#include "port/namelookup.h"
#include "port/qtbackend.h"
#include "port/remotebackend.h"
#include "port/routingbackend.h"
#include "widgets/desktopstyle.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>

int main(int argc, char *argv[])
{
    // Read before the application object exists, so that help and errors need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const auto parsed = parseCommandLine(arguments);
    if (const auto *exit = std::get_if<CommandLineExit>(&parsed)) {
        std::fputs(exit->text.toLocal8Bit().constData(), exit->toStderr ? stderr : stdout);
        return exit->status;
    }
    const auto &options = std::get<CommandLineOptions>(parsed);

    // Without any of these Qt aborts with a message about its plugins; say what is missing instead.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !arguments.contains(QStringLiteral("-platform")) &&
        !arguments.contains(QStringLiteral("--platform"))) {
        std::fputs(
            QStringLiteral("kalvane: нужен графический сеанс: не задана ни одна из переменных DISPLAY, "
                           "WAYLAND_DISPLAY и QT_QPA_PLATFORM\n")
                .toLocal8Bit()
                .constData(),
            stderr);
        return 1;
    }

    // Opened before anything else, so that a path that cannot take the capture ends the run with no port
    // touched.
    auto opened = openCapture(options);
    if (const auto *exit = std::get_if<CommandLineExit>(&opened)) {
        std::fputs(exit->text.toLocal8Bit().constData(), stderr);
        return exit->status;
    }
    auto journal = openJournal(options);
    if (const auto *exit = std::get_if<CommandLineExit>(&journal)) {
        std::fputs(exit->text.toLocal8Bit().constData(), stderr);
        return exit->status;
    }

    // The window changes a few small pieces at each tick. With shared-memory images Qt waits on the X server
    // before every such repaint; sending those few kilobytes over the socket costs less.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    // Every tick wakes the event loop. Qt's own loop costs less per wake-up than GLib's, and nothing in this
    // program (no native file dialogs, no GLib-based plugins) needs GLib's.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    // A flood gives each row up to 384 KB of text at every tick. Once the first block that size is freed,
    // glibc stops mapping such blocks on their own and takes them from the heap, where the holes they leave
    // stay resident; a fixed threshold keeps them mapped and gives them back whole when freed.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    QApplication app(argc, argv);
    // The application owns its style.
    QApplication::setStyle(new DesktopStyle);
    QApplication::setApplicationName(QStringLiteral("Kalvane"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QApplication::setDesktopFileName(QStringLiteral(KALVANE_APP_ID));

    // Declared before the window, so the instrument keeps sending until the port is closed.
    std::unique_ptr<DemoDevice> demo;
    QString port = options.port;
    if (options.demo) {
        demo = std::make_unique<DemoDevice>();
        if (demo->path().isEmpty()) {
            std::fprintf(stderr, "kalvane: псевдотерминал не создан: %s\n", qPrintable(demo->error()));
            return 1;
        }
        port = demo->path();
    }

    DateSource dates = systemDateSource();
    // Only scripts/screenshot sets this, so that the picture's title bar does not change with the day it was
    // made.
    const QDate pinned = QDate::fromString(qEnvironmentVariable("KALVANE_SCREENSHOT_DATE"), Qt::ISODate);
    if (pinned.isValid())
        dates.today = [pinned] { return pinned; };

    QtNameLookup lookup;
    int status = 0;
    {
        auto backend = std::make_unique<RoutingBackend>(std::make_unique<QtSerialBackend>(),
                                                        std::make_unique<RemoteBackend>(&lookup));
        Form1 Form1({std::move(backend), std::move(dates), showModalMessage,
                     std::move(std::get<std::unique_ptr<Capture>>(opened)),
                     std::move(std::get<std::unique_ptr<Capture>>(journal))});
        Form1.Form_Load(port);
        // Early enough: a port can be found lost only once the event loop runs.
        Form1.Comm1().setReconnect(options.reconnect);
        Form1.show();
        // Logout, shutdown and Ctrl+C close the window as its close button does; exit also ends the nested
        // loop of an open message box.
        ShutdownSignals shutdownSignals([&Form1] {
            Form1.close();
            QApplication::exit(0);
        });
        status = app.exec();
    }
    // The window is gone and all it wrote is out. Qt would wait for a name lookup still under way as the
    // application ends, for as long as the system's resolver takes: nothing is left to wait for.
    if (lookup.underWay()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
