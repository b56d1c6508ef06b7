// Entry point of the desktop program: the main window with its start-up document.
#include "widgets/RUserInterface.h"
#include "app/RApplicationSetup.h"
#include "app/TMORVMain.h"
#include "solver/RProcessMemory.h"

#include <QApplication>
#include <exception>

int main(int argc, char** argv)
{
    tuneProcessMemory(argv);
    QApplication app(argc, argv);
    setUpApplication();
    try {
        TMORVMain window;
        QStringList arguments = QCoreApplication::arguments();
        arguments.removeFirst();
        if (!window.startup(arguments))
            return 0;
        window.showAtStartup();
        app.exec();
    } catch (const std::exception& e) {
        showMessage(nullptr, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showMessage(nullptr, QString());
    }
    return 0;
}
