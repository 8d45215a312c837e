#pragma once

#include <QWizard>

class IntroPage;
class ScanPage;
class TimerPage;

// The modal wizard of hands-free scanning: it asks for the interval and book mode, then
// alternates between a running scan and a countdown to the next one until the user stops.
// It knows nothing of the scanner. The main window connects needAutoScan() to the code that
// starts a scan and feeds the session's progress, page and failure signals to scanPercent(),
// pageScanned() and finish(); cancelScan() tells it to drop those links again.
//
// To run it again: setStartId(IntroPageId); restart(); exec(). The wizard stores
// "BookScanning" when the intro page is left; resetting it after exec() is the caller's.
//
// GUI thread only. The wizard owns its three pages.
class AutoScanWizard : public QWizard
{
    Q_OBJECT

public:
    enum PageId
    {
        IntroPageId = 0,
        ScanPageId = 1,
        TimerPageId = 2
    };

    explicit AutoScanWizard(QWidget *parent = nullptr);

    // Stretch, Next, Cancel: the row of the intro page (the other pages set their own).
    static QList<QWizard::WizardButton> defaultButtonLayout();

signals:
    // A scan is due now.
    void needAutoScan();
    // The running scan no longer drives the wizard (closed or cancelled on the scan page).
    void cancelScan();

public slots:
    // The scanner reports progress, so the user may now cancel.
    void scanPercent(int percent);
    // A page arrived: move on to the countdown. Later pages of the same scan change nothing.
    void pageScanned();
    // The scan failed or was cancelled: close the wizard.
    void finish();
    // Called by the main window as soon as a page arrives, before the page is processed, so
    // the wheel does not suggest the scanner is still busy.
    void stopBusyIndicator();

    void done(int result) override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void stopCycle();

    IntroPage *m_introPage;
    ScanPage *m_scanPage;
    TimerPage *m_timerPage;
};
