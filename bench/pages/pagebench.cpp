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
    if (mode != QLatin1String("restore") && mode != QLatin1String("remove-all-but-current") &&
        !import) {
        QTextStream(stderr)
            << "usage: quillary-pagebench restore|remove-all-but-current|import FILE\n";
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
        window.pageStore()->setCurrentPage(window.pageStore()->count() / 2);
        QCoreApplication::processEvents();
        answerYes();
        timer.start();
        window.removeAllButThis();
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    QTextStream(stdout) << window.pageStore()->count() << ' ' << QString::number(seconds, 'f', 2)
                        << ' ' << QString::number(peakResidentMegabytes(), 'f', 1) << '\n';
    return 0;
}
