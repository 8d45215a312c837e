#include "ImageLoading.h"
#include "MainWindow.h"
#include "ProcessExit.h"
#include "RibbonStyle.h"
#include "SingleInstance.h"
#include "StartUp.h"
#include "Translations.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QStandardPaths>

#include <cstdio>

namespace {
// Long enough for a window that is busy writing pages to come back to its event loop.
constexpr int HandOverTimeoutMs = 10000;
// Exit code of a start that opened no window because the work folder is not its own.
constexpr int NoWindowExitCode = 2;

int refuseStart(const QString &message)
{
    QMessageBox::critical(nullptr, QCoreApplication::translate("StartUp", "Quillary"), message);
    return NoWindowExitCode;
}

int run(int argc, char *argv[])
{
    QApplication app(argc, argv);
    StartUp::nameApplication();
    const QStringList arguments = QCoreApplication::arguments();
    // Before any widget is built, so that every text made at start-up is translated.
    installTranslators(StartUp::chooseLocale(arguments));
    QApplication::setStyle(new Ribbon::RibbonStyle);
    StartUp::storeWebHost();
    raiseImageAllocationLimit();

    if (StartUp::isUninstallRun(arguments))
        return StartUp::runUninstall();

    // Taken before the window exists, so two windows never write the same page files.
    const QStringList files = StartUp::commandLineFiles(arguments, QDir::currentPath());
    SingleInstance instance(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    switch (instance.start(files, HandOverTimeoutMs)) {
    case SingleInstance::Outcome::Owner:
        break;
    case SingleInstance::Outcome::HandedOver:
        return 0;
    case SingleInstance::Outcome::NoAnswer:
        return refuseStart(QCoreApplication::translate(
            "StartUp", "Quillary is already open with these pages but does not answer.\nClose "
                       "that window, or end it if it hangs, and start Quillary again."));
    case SingleInstance::Outcome::Failed:
        return refuseStart(QCoreApplication::translate("StartUp",
                                                       "Quillary can't lock its work folder, so "
                                                       "it can't keep the pages safe.\n%1")
                               .arg(instance.errorString()));
    }

    MainWindow window(MainWindow::ShowSplash);
    window.show();
    QObject::connect(&app, &QGuiApplication::lastWindowClosed, &app, &QCoreApplication::quit);
    QObject::connect(&instance, &SingleInstance::requested, &window, &MainWindow::bringForward);
    // Files wait while a dialog is open or a batch of pages is being written.
    instance.startDelivering(files, [] {
        return QApplication::activeModalWidget() != nullptr ||
               QApplication::overrideCursor() != nullptr;
    });
    return app.exec();
}
} // namespace

int main(int argc, char *argv[])
{
    // Answered before any window, display or lock: a script may ask with no desktop running.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    switch (StartUp::infoRequest(arguments)) {
    case StartUp::InfoRequest::Help: {
        // In the user's language: no display is needed for that.
        QCoreApplication app(argc, argv);
        StartUp::nameApplication();
        installTranslators(StartUp::chooseLocale(arguments));
        std::fputs(qPrintable(StartUp::helpText()), stdout);
        return 0;
    }
    case StartUp::InfoRequest::Version:
        std::printf("quillary %s\n", StartUp::ProductVersion);
        return 0;
    case StartUp::InfoRequest::None:
        break;
    }
    // The window, the application and the work folder's lock are gone when run() returns.
    leaveProcess(run(argc, argv));
}
