// Entry point of the desktop program.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Vesko");
    QCoreApplication::setApplicationName("MORV3");
    QMainWindow window;
    window.setWindowTitle("MORV");
    window.resize(800, 600);
    window.show();
    return app.exec();
}
