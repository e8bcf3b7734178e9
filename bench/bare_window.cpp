#include <QApplication>
#include <QLabel>
#include <QMainWindow>

// The floor of the side-by-side benchmark: the least a Qt window costs, one label in a main window.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("Kalvane"), &window));
    window.show();
    return app.exec();
}
