#include "app/form1.h"
#include "app/messagebox.h"
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
    return app.exec();
}
