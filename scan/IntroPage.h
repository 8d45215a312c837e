#pragma once

#include <QWizardPage>

class QCheckBox;
class QSpinBox;

// First page of the auto-scan wizard: the interval between scans, whether the first scan
// starts at once, book mode, and a two-sided stack on a one-sided feeder (offered only with
// the feeder set to bring all its pages). Shows the stored choices on entering and stores them on Next.
//
// GUI thread only; the wizard owns the page.
class IntroPage : public QWizardPage
{
    Q_OBJECT

public:
    explicit IntroPage(QWidget *parent = nullptr);

    void initializePage() override;
    bool validatePage() override;
    // The scan page when the first scan is to start at once, else the countdown.
    int nextId() const override;

private:
    QSpinBox *m_interval;
    QCheckBox *m_scanNow;
    QCheckBox *m_bookScan;
    QCheckBox *m_twoSided;
};
