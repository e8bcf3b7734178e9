#include "app/form1.h"
#include "app/messagebox.h"
#include "app/shutdownsignals.h"
#include "serial/qtbackend.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // Qt takes its own options (-platform and the like); the program has none, and ignores anything else.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalvane"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QApplication::setDesktopFileName(QStringLiteral("kalvane"));

    Form1 Form1({std::make_unique<QtSerialBackend>(), systemDateSource(), showModalMessage});
    Form1.Form_Load();
    Form1.show();
    // Logout, shutdown and Ctrl+C close the window as its close button does; exit also ends the nested loop
    // of an open message box.
    ShutdownSignals shutdownSignals([&Form1] {
        Form1.close();
        QApplication::exit(0);
    });
    return app.exec();
}
