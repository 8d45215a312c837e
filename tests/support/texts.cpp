// Starts as the program does, then prints the window title and a Cancel button's text.
#include "StartUp.h"
#include "Translations.h"
#include "WindowFixture.h"

#include <QtWidgets>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    StartUp::nameApplication();
    installTranslators(StartUp::chooseLocale(QCoreApplication::arguments()));
    const auto window = makeWindow();
    const QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    QTextStream(stdout) << window->windowTitle() << '\n'
                        << buttons.button(QDialogButtonBox::Cancel)->text() << '\n';
    return 0;
}
