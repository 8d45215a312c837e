// Benchmark helper for the Word export: writes the given page files into one DOCX with the
// exporter itself (its progress dialog on whatever platform Qt is given; offscreen in
// run.sh), so that the timed run does nothing else.
//
//   quillary-docxbench OUTPUT PAGE...
//
// Exit status 0 when the document was written. The pages come from quillary-pdfbench.
#include "DocxGenerator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Keeps the benchmark away from the user's own settings and work folder.
    QStandardPaths::setTestModeEnabled(true);
    QStringList arguments = app.arguments().mid(1);
    if (arguments.size() < 2) {
        QTextStream(stderr) << "usage: quillary-docxbench OUTPUT PAGE...\n";
        return 2;
    }
    const QString output = arguments.takeFirst();
    DocxGenerator generator;
    generator.setPages(arguments);
    QElapsedTimer timer;
    timer.start();
    const bool written = generator.run(output);
    QTextStream(stdout) << (written ? "written" : "failed") << ' ' << arguments.size()
                        << " pages in " << timer.elapsed() << " ms\n";
    return written ? 0 : 1;
}
