#pragma once

#include <QMetaObject>
#include <QWizardPage>

class QProgressIndicator;
class QTimer;

// The auto-scan wizard's page shown while one scan runs. Entering it asks for a scan shortly
// afterwards; the wizard leaves it when the scanned page arrives.
//
// GUI thread only; the wizard owns the page.
class ScanPage : public QWizardPage
{
    Q_OBJECT

public:
    explicit ScanPage(QWidget *parent = nullptr);

    void initializePage() override;
    // The leave step: Cancel back to normal, the wheel stopped, a pending scan request dropped.
    // Also run by the wizard when it is closed on this page.
    bool validatePage() override;
    int nextId() const override;

    // True from entering the page until it is left or the scan is cancelled.
    bool isRunning() const { return m_running; }
    void stopBusyIndicator();

signals:
    void needAutoScan();
    void cancelScan();

public slots:
    // The user cancelled the scan: tell the main window and close the wizard.
    void scanCancel();

private:
    void requestScan();

    QProgressIndicator *m_indicator;
    QTimer *m_requestDelay;
    QMetaObject::Connection m_cancelConnection;
    bool m_running = false;
};
