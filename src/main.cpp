#include "app/commandline.h"
#include "app/form1.h"
#include "app/messagebox.h"
#include "serial/qtbackend.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalvane"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QApplication::setDesktopFileName(QStringLiteral("kalvane"));
    const CommandLine commandLine = parseCommandLine(app);

    // The capture is opened before any port, so a bad path ends the program with nothing touched.
    std::unique_ptr<Capture> capture;
    if (commandLine.logPath) {
        QString reason;
        capture = Capture::open(*commandLine.logPath, &reason);
        if (!capture) {
            std::fputs(QStringLiteral("kalvane: не удаётся открыть «%1» для дописывания: %2\n")
                           .arg(*commandLine.logPath, reason)
                           .toLocal8Bit()
                           .constData(),
                       stderr);
            return 2;
        }
    }

    Form1 Form1(
        {std::make_unique<QtSerialBackend>(), systemDateSource(), showModalMessage, std::move(capture)});
    Form1.Form_Load();
    Form1.show();
    return app.exec();
}
