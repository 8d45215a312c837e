// Benchmark helper for the DjVu export: writes the given page files into one DjVu file with
// the exporter, as the dialog runs it (stored percentage, encoders on every core), and prints
// the wall time. The pages come from quillary-pdfbench ("pages" and "mono").
//
//   quillary-djvubench OUTPUT PAGE...
#include "DjvuGenerator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>

int main(int argc, char **argv)
{
    // The progress dialog is a widget; no screen is needed for it.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 3) {
        QTextStream(stderr) << "usage: quillary-djvubench OUTPUT PAGE...\n";
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    DjvuGenerator generator;
    generator.setPages(arguments.mid(2));
    const bool written = generator.run(arguments.at(1));
    QTextStream(stdout) << "pages " << arguments.size() - 2 << " seconds "
                        << QString::number(timer.elapsed() / 1000.0, 'f', 3) << '\n';
    if (!written)
        QTextStream(stderr) << generator.error() << '\n';
    return written ? 0 : 1;
}
