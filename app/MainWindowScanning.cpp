// Scanning from the window: single scans, automatic scanning with the wizard, and taking
// the scanned pages in through the page processor.
#include "MainWindow.h"

#include "AutoScanWizard.h"
#include "EzPrevScan.h"
#include "PageCommand.h"
#include "PageListWidget.h"
#include "PageProcessing.h"
#include "PhotoGraphicsView.h"
#include "ScanAreaView.h"
#include "ScannerLibrary.h"
#include "SettingsKeys.h"
#include "WaitingDlg.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>

#include <utility>

namespace {
// How often a scanned page that waits for a running page command asks again.
constexpr int ScannedPageRetryMs = 100;
// Enough to see where the paper lies and quick even over the network.
constexpr double GlassPreviewDpi = 75.0;

// The waiting window lives for the processing step only; hidden when the step ends, deleted
// when the command returns.
struct WaitingDlgCloser
{
    void operator()(WaitingDlg *dialog) const
    {
        dialog->hide();
        delete dialog;
    }
};
} // namespace

void MainWindow::connectSession()
{
    disconnect(m_session, &EzPrevScan::pageScanned, this, &MainWindow::pageFromScanner);
    disconnect(m_session, &EzPrevScan::scanCancelled, this, &MainWindow::scanCancel);
    disconnect(m_session, &EzPrevScan::failedScan, this, &MainWindow::scanFailed);
    connect(m_session, &EzPrevScan::pageScanned, this, &MainWindow::pageFromScanner);
    connect(m_session, &EzPrevScan::pageStarted, this, &MainWindow::scanStarted,
            Qt::UniqueConnection);
    connect(m_session, &EzPrevScan::scanCancelled, this, &MainWindow::scanCancel);
    connect(m_session, &EzPrevScan::failedScan, this, &MainWindow::scanFailed);
}

bool MainWindow::prepareScan(int singleScan)
{
    if (m_session->isScanning())
        return false; // the session refuses it anyway; keep the window as it is
    m_workAreaStack->setCurrentIndex(ScannerArea);
    QCoreApplication::processEvents();
    const int colourMode = m_colorBox->currentData().toInt();
    const int resolution = m_qualityBox->currentData().toInt();
    writeSetting(Settings::Grayscale, colourMode);
    writeSetting(Settings::Resolution, resolution);
    m_session->setSingleScan(singleScan);
    m_session->setInteractive(singleScan);
    m_session->setColorMode(colourMode);
    m_session->setResolution(resolution);
    cancelAutoScan();
    connectSession();
    return true;
}

void MainWindow::scanStarted(int number, bool feeder)
{
    statusBar()->showMessage(feeder ? tr("Scanning page %1...").arg(number) : tr("Scanning..."));
}

void MainWindow::scanPage()
{
    // Scan Page (Space) in the look at the glass scans the part in its frame.
    const bool areaChosen = m_workAreaStack->currentIndex() == GlassArea;
    if (!prepareScan(1))
        return;
    if (areaChosen) {
        const QRectF area = m_scanAreaView->area();
        rememberScanArea(area);
        m_session->setScanArea(area);
    } else if (readSetting(Settings::Preview).toBool() &&
               readSetting(Settings::PaperSource).toInt() == 0) {
        // A feeder is never previewed: the look would take the sheet away.
        showGlass();
        return;
    }
    m_session->scan();
    m_session->setScanArea({});
    statusBar()->showMessage(tr("Ready"));
    leaveOutBlankPages();
    leaveScannerArea();
    startWaitingAutoScan();
}

void MainWindow::showGlass()
{
    QImage glass = m_session->scanGlass(GlassPreviewDpi);
    statusBar()->showMessage(tr("Ready"));
    // A failure or a cancel has taken the window back to the pages already.
    if (glass.isNull())
        return;
    if (glass.dotsPerMeterX() <= 0 || glass.dotsPerMeterY() <= 0) {
        glass.setDotsPerMeterX(qRound(GlassPreviewDpi / 0.0254));
        glass.setDotsPerMeterY(qRound(GlassPreviewDpi / 0.0254));
    }
    m_scanAreaView->showGlass(glass, rememberedScanArea());
    m_workAreaStack->setCurrentIndex(GlassArea);
    // So that the arrow keys move the frame at once.
    m_scanAreaView->view()->setFocus(Qt::OtherFocusReason);
}

QRectF MainWindow::rememberedScanArea() const
{
    const QString scanner = m_session->library()->currentSourceName();
    return readSetting(Settings::ScanAreas).toMap().value(scanner).toRectF();
}

void MainWindow::rememberScanArea(const QRectF &area)
{
    QVariantMap areas = readSetting(Settings::ScanAreas).toMap();
    areas.insert(m_session->library()->currentSourceName(), area);
    writeSetting(Settings::ScanAreas, areas);
}

void MainWindow::autoScan()
{
    m_twoSidedPasses = {};
    m_wizard->setNote({});
    m_wizard->setStartId(AutoScanWizard::IntroPageId);
    m_wizard->restart();
    m_wizard->exec();
    writeSetting(Settings::BookScanning, false);
    const TwoSidedPasses passes = std::exchange(m_twoSidedPasses, {});
    if (passes.complete)
        sortTwoSidedPasses(passes);
    writeSetting(Settings::TwoSidedScanning, false);
    // Blank backs were kept until the passes were paired.
    leaveOutBlankPages();
}

void MainWindow::countTwoSidedPass(int added)
{
    if (added <= 0)
        return;
    if (m_twoSidedPasses.fronts < 0) {
        m_twoSidedPasses.fronts = added;
        m_wizard->setNote(tr("Turn the stack over and put it back in the feeder: the backs "
                             "come next."));
        return;
    }
    m_twoSidedPasses.complete = true;
    // Both passes are in: the pages are put in order once the wizard has closed.
    m_wizard->finish();
}

void MainWindow::sortTwoSidedPasses(const TwoSidedPasses &passes)
{
    const int fronts = passes.fronts;
    const int backs = m_pageStore->count() - passes.start - fronts;
    if (backs != fronts) {
        showNotice(tr("The backs do not pair up with the fronts: %1 fronts, %2 backs.<br>The "
                      "pages stay in the order they were scanned.")
                       .arg(fronts)
                       .arg(backs));
        return;
    }
    QList<int> run;
    for (int place = 0; place < 2 * fronts; ++place)
        run << passes.start + place;
    sortTwoSidedRun(run);
}

void MainWindow::startAutoScan()
{
    // The countdown can end while a feeder run still brings pages; the wizard then waits for
    // a scan of its own, so it starts once that run is over.
    if (m_session->isScanning()) {
        m_autoScanWaiting = true;
        return;
    }
    if (!prepareScan(0))
        return;
    connect(m_session, &EzPrevScan::percentScan, m_wizard, &AutoScanWizard::scanPercent);
    connect(m_session, &EzPrevScan::failedScan, m_wizard, &AutoScanWizard::finish);
    connect(m_wizard, &AutoScanWizard::cancelScan, this, &MainWindow::cancelAutoScan);
    connect(m_session, &EzPrevScan::pageScanned, m_wizard, &AutoScanWizard::pageScanned);
    const bool twoSided = readSetting(Settings::TwoSidedScanning).toBool();
    const int before = m_pageStore->count();
    if (twoSided && m_twoSidedPasses.start < 0)
        m_twoSidedPasses.start = before;
    m_session->scan();
    statusBar()->showMessage(tr("Ready"));
    if (twoSided)
        countTwoSidedPass(m_pageStore->count() - before);
    else
        leaveOutBlankPages();
    leaveScannerArea();
    startWaitingAutoScan();
}

void MainWindow::startWaitingAutoScan()
{
    // A wizard closed in the meantime has ended its cycle.
    if (std::exchange(m_autoScanWaiting, false) && m_wizard->isVisible())
        QTimer::singleShot(0, this, &MainWindow::startAutoScan);
}

void MainWindow::cancelAutoScan()
{
    disconnect(m_session, &EzPrevScan::percentScan, m_wizard, &AutoScanWizard::scanPercent);
    disconnect(m_session, &EzPrevScan::failedScan, m_wizard, &AutoScanWizard::finish);
    disconnect(m_wizard, &AutoScanWizard::cancelScan, this, &MainWindow::cancelAutoScan);
    disconnect(m_session, &EzPrevScan::pageScanned, m_wizard, &AutoScanWizard::pageScanned);
    // The wizard has ended its cycle; what is left of a feeder run must not go on behind it.
    m_session->cancelScan();
}

void MainWindow::pageFromScanner()
{
    const QImage *scanned = m_session->image();
    if (!scanned || scanned->isNull()) {
        showNotice(tr("The scanned page could not be read.<br>The scanner delivered a picture in "
                      "a form Quillary cannot convert; the page was not added."));
        return;
    }
    if (m_wizard->isVisible())
        m_wizard->stopBusyIndicator();
    // A deep copy: the session's picture goes with the next page, and a page that arrives
    // while another page command runs waits for it.
    m_scannedPages.append(scanned->copy());
    m_session->releaseImage();
    takeScannedPages();
}

void MainWindow::takeScannedPages()
{
    if (m_pageCommandRunning) {
        if (!m_scannedPagesWaiting) {
            m_scannedPagesWaiting = true;
            QTimer::singleShot(ScannedPageRetryMs, this, [this] {
                m_scannedPagesWaiting = false;
                takeScannedPages();
            });
        }
        return;
    }
    const PageCommand command(m_pageCommandRunning);
    while (!m_scannedPages.isEmpty())
        takeScannedPage(m_scannedPages.takeFirst());
}

void MainWindow::takeScannedPage(const QImage &scanned)
{
    m_pageStore->blockSignals(true);
    m_pagePanelStack->setCurrentIndex(PageStorePanel);
    const bool book = readSetting(Settings::BookScanning).toBool();
    const bool asTiff = readSetting(Settings::Grayscale).toInt() == 1;

    ProcessedPages processed;
    {
        std::unique_ptr<WaitingDlg, WaitingDlgCloser> waiting(new WaitingDlg(this));
        waiting->showMessage(book ? tr("Splitting into pages...") : tr("Image processing..."));
        processed = processScannedPage(scanned, book, asTiff);
    }
    int added = 0;
    for (const QImage &page : std::as_const(processed.pages)) {
        if (!addPageToStore(page, asTiff))
            continue;
        ++added;
        if (checkNewPage(m_pageStore->count() - 1, page, true))
            m_blankOfRun << m_pageStore->pageIds().constLast();
    }
    finishBatch(added);
    // The new page opened the editor; the preview and its Cancel stay until the run ends.
    if (m_session->isScanning())
        m_workAreaStack->setCurrentIndex(ScannerArea);
    if (!processed.problem.isEmpty() && added > 0) {
        const QString what = book ? tr("The spread could not be split; it was added as one "
                                       "unprocessed page.")
                                  : tr("The page could not be cleaned; it was added unprocessed.");
        showNotice(what + QStringLiteral("<br>") + processed.problem.toHtmlEscaped());
    }
}

void MainWindow::leaveScannerArea()
{
    // However the run ended, the preview has nothing more to show.
    if (m_workAreaStack->currentIndex() == ScannerArea)
        scanCancel();
}

void MainWindow::scanCancel()
{
    m_workAreaStack->setCurrentIndex(m_pageStore->count() == 0 ? StartArea : EditorArea);
    QCoreApplication::processEvents();
}

void MainWindow::scanFailed()
{
    QString message = tr("Scanning was cancelled.");
    const QString reason = m_session->library()->errorText();
    if (!reason.isEmpty())
        message += QStringLiteral("<br>") + reason.toHtmlEscaped();
    showNotice(message);
    // The preview has nothing more to show: back to the pages (or the start).
    scanCancel();
}

void MainWindow::selectSource()
{
    m_session->library()->selectSource(this);
}
