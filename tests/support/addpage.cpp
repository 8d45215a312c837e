// addpage <work folder> <picture>: adds a first page in a process a test may kill at any step.
#include "PageListWidget.h"

#include <QtWidgets>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    if (argc != 3)
        return 2;
    PageListWidget store(nullptr, QString::fromLocal8Bit(argv[1]));
    return store.addPage(QImage(QString::fromLocal8Bit(argv[2])), false) ? 0 : 1;
}
