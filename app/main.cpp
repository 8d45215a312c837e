#include "ImageLoading.h"
#include "MainWindow.h"
#include "RibbonStyle.h"
#include "StartUp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    StartUp::nameApplication();
    QApplication::setStyle(new Ribbon::RibbonStyle);
    StartUp::storeWebHost();
    raiseImageAllocationLimit();

    if (StartUp::isUninstallRun(QCoreApplication::arguments()))
        return StartUp::runUninstall();

    MainWindow window(MainWindow::ShowSplash);
    window.show();
    QObject::connect(&app, &QGuiApplication::lastWindowClosed, &app, &QCoreApplication::quit);
    return app.exec();
}
