// quillary-pagebench: times the window's session restore and "Remove All But Current" on the
// pages waiting in the work folder (XDG_DATA_HOME decides where it is).
//
//   quillary-pagebench restore                  restores every waiting page
//   quillary-pagebench remove-all-but-current   restores them (untimed), makes the middle
//                                               page current and removes all the others
//   quillary-pagebench import FILE              loads FILE (a PDF, say) as pages, as From File
//
// Prints "<pages> <seconds> <peak resident MB>" on one line. Run on the offscreen platform.
#include "MainWindow.h"
#include "PageListWidget.h"
#include "ScannerLibrary.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

namespace {
class NoScanner : public ScannerLibrary
{
public:
    QStringList sourceNames() override { return {QStringLiteral("Benchmark")}; }
};

double peakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// Answers the confirmation of the removal with Yes.
void answerYes()
{
    QTimer::singleShot(0, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Yes)->click();
    });
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Plenwick"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillary"));
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const bool import = mode == QLatin1String("import") && argc > 2;
    const QStringList afterRestore = {QStringLiteral("remove-all-but-current"),
                                      QStringLiteral("move-to-top"), QStringLiteral("drag-one-page"),
                                      QStringLiteral("remove-all-and-undo")};
    if (mode != QLatin1String("restore") && !afterRestore.contains(mode) && !import) {
        QTextStream(stderr) << "usage: quillary-pagebench restore|" << afterRestore.join(QLatin1Char('|'))
                            << "|import FILE\n";
        return 2;
    }

    MainWindow window(MainWindow::NoSplash, std::make_unique<NoScanner>());
    window.show();
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    if (import) {
        timer.start();
        window.loadFiles({QString::fromLocal8Bit(argv[2])});
    } else if (mode == QLatin1String("restore")) {
        timer.start();
        window.restoreSession();
    } else {
        window.restoreSession();
        PageListWidget *store = window.pageStore();
        // The last page is current: the move, the drag and the removal touch the most files.
        store->setCurrentPage(mode == QLatin1String("remove-all-but-current") ? store->count() / 2
                                                                               : store->count() - 1);
        QCoreApplication::processEvents();
        if (mode != QLatin1String("move-to-top") && mode != QLatin1String("drag-one-page"))
            answerYes();
        timer.start();
        if (mode == QLatin1String("remove-all-but-current")) {
            window.removeAllButThis();
        } else if (mode == QLatin1String("move-to-top")) {
            window.moveTop();
        } else if (mode == QLatin1String("drag-one-page")) {
            window.dropPages({store->count() - 1}, 0);
        } else {
            window.removeAll();
            window.undo();
        }
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    QTextStream(stdout) << window.pageStore()->count() << ' ' << QString::number(seconds, 'f', 2)
                        << ' ' << QString::number(peakResidentMegabytes(), 'f', 1) << '\n';
    return 0;
}
