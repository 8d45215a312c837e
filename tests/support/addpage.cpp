// addpage <work folder> <picture>: adds a first page in a process a test may kill at any step.
#include "PageListWidget.h"

#include <QtWidgets>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const QStringList arguments = QCoreApplication::arguments();
    PageListWidget store(nullptr, arguments.at(1));
    return store.addPage(QImage(arguments.at(2)), false) ? 0 : 1;
}
