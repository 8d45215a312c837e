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

#include <utility>

namespace {
Q_LOGGING_CATEGORY(lcSession, "quillary.scan.session")

// The stored paper source that asks for both sides of every sheet.
constexpr int DuplexFeeder = 2;

// The part of a whole-glass scan that lies in area (millimetres from the glass's corner).
QImage cutToArea(const QImage &glass, const QRectF &area, double fallbackDpi)
{
    const double xDpi = glass.dotsPerMeterX() > 0 ? glass.dotsPerMeterX() * 0.0254 : fallbackDpi;
    const double yDpi = glass.dotsPerMeterY() > 0 ? glass.dotsPerMeterY() * 0.0254 : fallbackDpi;
    const QRect pixels = QRectF(area.x() * xDpi / 25.4, area.y() * yDpi / 25.4,
                                area.width() * xDpi / 25.4, area.height() * yDpi / 25.4)
                             .toRect()
                             .intersected(glass.rect());
    return pixels.isEmpty() ? glass : glass.copy(pixels);
}
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

QImage EzPrevScan::scanGlass(double dpi)
{
    if (m_scanning)
        return {};
    m_glassDpi = dpi;
    scan();
    m_glassDpi = 0;
    return std::exchange(m_glass, QImage());
}

void EzPrevScan::setScanArea(const QRectF &millimetres)
{
    m_scanArea = millimetres;
}

void EzPrevScan::runScan()
{
    // A look at the glass takes one flatbed page and never a sheet from the feeder.
    const bool glass = m_glassDpi > 0;
    const int paperSource = glass ? 0 : readSetting(Settings::PaperSource).toInt();
    const int acquireImage = glass ? 0 : readSetting(Settings::AcquireImage).toInt();
    const bool autoContrast = readSetting(Settings::AutoContrast).toBool();
    const bool preview = readSetting(Settings::Preview).toBool();

    m_library->setDriverDialogShown(preview);
    m_library->setAutoContrast(autoContrast);
    if (m_library->open()) {
        m_library->setFeederEnabled(paperSource != 0);
        if (paperSource == DuplexFeeder)
            m_library->setDuplex(true);
        const bool allImages = acquireImage != 0;
        m_library->setTransferCount(allImages ? ScannerLibrary::AllPages : 1);
        m_library->setMultipleTransfer(allImages);
        m_library->setResolution(glass ? m_glassDpi : m_resolution);
        m_library->setScanArea(glass ? QRectF() : m_scanArea);

        for (int number = 1;; ++number) {
            // A feeder's percentage starts again with every sheet; the count tells how far
            // the run is.
            m_statusLabel->setText(glass       ? tr("Preview \u2014 scanning...")
                                   : allImages ? tr("Page %1 \u2014 scanning...").arg(number)
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
            if (glass) {
                m_glass = HImage(*page);
            } else {
                m_currentPage.reset();
                m_currentPage = std::make_unique<HImage>(*page);
                if (!m_scanArea.isEmpty() && !m_library->scanAreaApplied())
                    static_cast<QImage &>(*m_currentPage) =
                        cutToArea(*m_currentPage, m_scanArea, m_resolution);
                emit pageScanned(m_currentPage.get());
                QCoreApplication::processEvents();
            }
            m_library->releasePage(page);
            // Asked even after a cancel: that is where the library lets go of the device.
            const bool ended = m_library->transferEnded();
            // A cancel between pages is ours to honour: a feeder must not bring another.
            if (!allImages || ended || m_cancelRequested)
                break;
        }
        // Only the feeder settings ask for the feeder end, as the options store them.
        if (paperSource == 1 || paperSource == DuplexFeeder)
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
