// Starts as the program does (language chosen, translators installed), builds the main window,
// then prints its title and the text of a standard Cancel button, one a line, and quits.
#include "FakeScannerLibrary.h"
#include "MainWindow.h"
#include "StartUp.h"
#include "Translations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    StartUp::nameApplication();
    installTranslators(StartUp::chooseLocale(QCoreApplication::arguments()));
    const MainWindow window(MainWindow::NoSplash, std::make_unique<FakeScannerLibrary>());
    const QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    QTextStream(stdout) << window.windowTitle() << '\n'
                        << buttons.button(QDialogButtonBox::Cancel)->text() << '\n';
    return 0;
}
