#include "EzPrevScan.h"

#include "DibBuffer.h"
#include "HImage.h"
#include "ScannerLibrary.h"
#include "SettingsKeys.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLoggingCategory>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {
Q_LOGGING_CATEGORY(lcSession, "quillary.scan.session")
} // namespace

EzPrevScan::EzPrevScan(std::unique_ptr<ScannerLibrary> library, QWidget *parent)
    : ScanFrame(parent), m_library(std::move(library))
{
    Q_ASSERT(m_library);
    m_workFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                   QStringLiteral("/eztwain");
    if (!QDir().mkpath(m_workFolder))
        qCWarning(lcSession) << "cannot create" << m_workFolder;

    setAccessibleName(tr("Scanner preview"));
    m_statusLabel = new QLabel(tr("Scanning..."));
    m_statusLabel->setAlignment(Qt::AlignCenter);
    m_statusLabel->setAccessibleName(m_statusLabel->text());
    m_progressBar = new QProgressBar;
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setAccessibleName(tr("Scanning progress"));
    m_cancelButton = new QPushButton(tr("Cancel"));
    m_cancelButton->setAccessibleName(tr("Cancel"));
    m_cancelButton->setEnabled(false);
    connect(m_cancelButton, &QPushButton::clicked, this, &EzPrevScan::cancelScan);

    auto *layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(m_statusLabel);
    layout->addWidget(m_progressBar);
    layout->addWidget(m_cancelButton, 0, Qt::AlignHCenter);
    layout->addStretch();

    m_library->setProgressHandler([this](int percent) { showProgress(percent); });
}

EzPrevScan::~EzPrevScan()
{
    m_library->setProgressHandler({});
}

ScannerLibrary *EzPrevScan::library() const
{
    return m_library.get();
}

void EzPrevScan::scan()
{
    if (m_scanning) {
        qCDebug(lcSession) << "scan request refused: a scan is running";
        return;
    }
    m_scanning = true;
    m_cancelRequested = false;
    m_progressBar->setValue(0);
    m_cancelButton->setEnabled(true);
    const auto done = qScopeGuard([this] {
        m_cancelButton->setEnabled(false);
        m_scanning = false;
    });
    runScan();
}

void EzPrevScan::runScan()
{
    const int paperSource = readSetting(Settings::PaperSource).toInt();
    const int acquireImage = readSetting(Settings::AcquireImage).toInt();
    const bool autoContrast = readSetting(Settings::AutoContrast).toBool();
    const bool preview = readSetting(Settings::Preview).toBool();

    m_library->setDriverDialogShown(preview);
    m_library->setAutoContrast(autoContrast);
    if (m_library->open()) {
        m_library->setFeederEnabled(paperSource != 0);
        const bool allImages = acquireImage != 0;
        m_library->setTransferCount(allImages ? ScannerLibrary::AllPages : 1);
        m_library->setMultipleTransfer(allImages);
        m_library->setResolution(m_resolution);

        for (int number = 1;; ++number) {
            // A feeder's percentage starts again with every sheet; the count tells how far
            // the run is.
            m_statusLabel->setText(allImages ? tr("Page %1 \u2014 scanning...").arg(number)
                                             : tr("Scanning..."));
            m_statusLabel->setAccessibleName(m_statusLabel->text());
            emit pageStarted(number, allImages);
            const DibBuffer *page = m_library->acquirePage(m_colourMode);
            if (!page) {
                qCDebug(lcSession) << "nothing acquired:" << m_library->errorText();
                if (m_cancelRequested)
                    emit scanCancelled();
                else
                    emit failedScan();
                return;
            }
            m_currentPage.reset();
            m_currentPage = std::make_unique<HImage>(*page);
            emit pageScanned(m_currentPage.get());
            QCoreApplication::processEvents();
            m_library->releasePage(page);
            // Asked even after a cancel: that is where the library lets go of the device.
            const bool ended = m_library->transferEnded();
            // A cancel between pages is ours to honour: a feeder must not bring another.
            if (!allImages || ended || m_cancelRequested)
                break;
        }
        // Only the exact feeder setting asks for the feeder end, as the options store it.
        if (paperSource == 1)
            m_library->endFeederRun();
    }
    if (m_library->hasError()) {
        qCInfo(lcSession) << "scan failed:" << m_library->errorText();
        emit failedScan();
    } else if (m_cancelRequested) {
        emit scanCancelled();
    }
}

QImage *EzPrevScan::image() const
{
    return m_currentPage.get();
}

void EzPrevScan::setColorMode(int mode)
{
    m_colourMode = mode;
}

void EzPrevScan::setResolution(int dpi)
{
    m_resolution = double(dpi);
}

void EzPrevScan::setSingleScan(int)
{
}

void EzPrevScan::setInteractive(int)
{
}

void EzPrevScan::releaseImage()
{
    m_currentPage.reset();
}

void EzPrevScan::cancelScan()
{
    if (!m_scanning)
        return;
    m_cancelRequested = true;
    m_library->cancel();
}

void EzPrevScan::showProgress(int percent)
{
    m_progressBar->setValue(percent);
    emit percentScan(percent);
}
