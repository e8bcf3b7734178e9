#include "app/commandline.h"
#include "app/form1.h"
#include "app/messagebox.h"
#include "serial/qtbackend.h"

#include <QApplication>
#include <cstdio>

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

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalvane"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QApplication::setDesktopFileName(QStringLiteral("kalvane"));

    Form1 Form1({std::make_unique<QtSerialBackend>(), systemDateSource(), showModalMessage});
    Form1.Form_Load(options.port);
    Form1.show();
    return app.exec();
}
