#pragma once

#include <QWizard>

class IntroPage;
class ScanPage;
class TimerPage;

// The modal wizard of hands-free scanning: it asks for the interval and book mode, then
// alternates between a running scan and a countdown to the next one until the user stops.
// It knows nothing of the scanner. The main window connects needAutoScan() to the code that
// starts a scan and feeds the session's progress, page and failure signals to scanPercent(),
// pageScanned() and finish(); cancelScan() tells it to stop that scan and drop the links.
//
// To run it again: setStartId(IntroPageId); restart(); exec(). The wizard stores
// "BookScanning" and "TwoSidedScanning" when the intro page is left; resetting them after
// exec() is the caller's.
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
    // The cycle has ended (Cancel, Finish, closed; once it got past the intro page). A scan
    // still running for it must stop: in a feeder run the countdown is shown while the
    // remaining pages arrive, so this comes from the countdown page as well.
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
    // Shown with the countdown; empty for none.
    void setNote(const QString &note);

    void done(int result) override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The pages' leave steps.
    void stopCycle();
    void endCycle();

    IntroPage *m_introPage;
    ScanPage *m_scanPage;
    TimerPage *m_timerPage;
    bool m_cycleRunning = false;
};
