#pragma once

#include <QWizard>
#include <QWizardPage>

class QLabel;

// The auto-scan wizard's countdown to the next scan, so the user can turn the page. SPACE
// pauses and resumes, ENTER scans at once; at the end the wizard restarts on the scan page.
//
// GUI thread only; the wizard owns the page.
class TimerPage : public QWizardPage
{
    Q_OBJECT

public:
    explicit TimerPage(QWidget *parent = nullptr);

    void initializePage() override;
    // The finish step: stops the countdown and returns the wizard to its intro page. Also run
    // by the wizard when it is closed on this page or on the scan page.
    bool validatePage() override;
    int nextId() const override;
    // A line above the countdown, for what the user has to do before the next scan; empty
    // hides it.
    void setNote(const QString &note);

public slots:
    void toggleTimer();
    void toScan();

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    void stopTimer();
    void restartWizardAt(int pageId);
    void setButton(QWizard::WizardButton which, const QString &text);
    void showRemaining();

    int m_remaining = 0;
    bool m_paused = false;
    int m_timerId = 0;
    QLabel *m_countdown;
    QLabel *m_note;
};
