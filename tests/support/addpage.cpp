// Adds one page to the document of a work folder, the way the first page of a new document
// is added, in a process that a test may kill at any step: addpage <work folder> <picture>.
#include "PageListWidget.h"

#include <QtWidgets>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3)
        return 2;
    PageListWidget store(nullptr, arguments.at(1));
    return store.addPage(QImage(arguments.at(2)), false) ? 0 : 1;
}
