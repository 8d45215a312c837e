#pragma once

#include "ScanFrame.h"

#include <QImage>
#include <QRectF>

#include <memory>

class HImage;
class QLabel;
class QProgressBar;
class QPushButton;
class ScannerLibrary;

// The scanner session: drives the scanner library through one scan run per scan() call,
// turns every bitmap into an HImage and announces it with pageScanned(). While a run lasts
// it shows "Scanning..." with a progress bar and a Cancel button.
//
// GUI thread only. The session owns the library and the current page. Signals are emitted
// synchronously from inside scan(); a receiver of pageScanned() must copy what it keeps.
//
// scan() refuses a second request while a run is going on (events are processed between
// pages and between chunks of a page, so a key press can arrive then): it returns at once
// and nothing else happens.
class EzPrevScan : public ScanFrame
{
    Q_OBJECT

public:
    EzPrevScan(std::unique_ptr<ScannerLibrary> library, QWidget *parent = nullptr);
    ~EzPrevScan() override;

    ScannerLibrary *library() const;

    void scan() override;
    // One quick flatbed pass over the whole glass at dpi, for choosing the part to scan: no
    // page is announced. A null image when nothing came (failedScan or scanCancelled tell).
    QImage scanGlass(double dpi);
    // The part of the glass the next scans take, in millimetres from its top left corner;
    // empty for all of it. Cut from the whole glass when the device cannot scan a part.
    void setScanArea(const QRectF &millimetres);
    QImage *image() const override;
    void setColorMode(int mode) override;
    void setResolution(int dpi) override;
    // Neither changes what this session does; they are kept for the window's call order.
    void setSingleScan(int on) override;
    void setInteractive(int on) override;

    bool isScanning() const { return m_scanning; }
    int colorMode() const { return m_colourMode; }
    double resolution() const { return m_resolution; }
    // The session's own folder below the per-user data location, made at construction.
    QString workFolder() const { return m_workFolder; }

public slots:
    // Deletes the current page; the window calls it once it has taken the page over.
    virtual void releaseImage();
    // Stops the running acquisition, between pages as well as within one: no further page
    // arrives, pages already announced stay the receiver's. The run ends with scanCancelled().
    void cancelScan();

signals:
    // A page has been acquired; the image stays the session's (see image()).
    void pageScanned(QImage *image = nullptr);
    void percentScan(int percent);
    // Page number (1 for the first of this run) is being acquired; feeder: more may follow.
    void pageStarted(int number, bool feeder);
    // The user stopped the acquisition; nothing more arrives in this run.
    void scanCancelled();
    // The acquisition produced nothing or the library reports an error.
    void failedScan();

private:
    void runScan();
    void showProgress(int percent);

    std::unique_ptr<HImage> m_currentPage;
    // Set for the length of a scanGlass() run.
    double m_glassDpi = 0;
    QImage m_glass;
    QRectF m_scanArea;
    int m_colourMode = 0;
    double m_resolution = 300.0;
    QString m_workFolder;

    std::unique_ptr<ScannerLibrary> m_library;
    bool m_scanning = false;
    bool m_cancelRequested = false;
    QLabel *m_statusLabel = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QPushButton *m_cancelButton = nullptr;
};
