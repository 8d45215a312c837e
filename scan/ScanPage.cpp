#include "ScanPage.h"

#include "AutoScanWizard.h"
#include "QProgressIndicator.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// Lets the page paint before the scanner takes over the event loop.
constexpr int requestDelayMs = 100;
constexpr int indicatorStepMs = 50;
} // namespace

ScanPage::ScanPage(QWidget *parent)
    : QWizardPage(parent), m_indicator(new QProgressIndicator), m_requestDelay(new QTimer(this))
{
    setObjectName(QStringLiteral("ScanPage"));
    setTitle(tr("Scanning in progress"));
    setSubTitle(tr("Scanned page will be added to the list"));

    auto *text = new QLabel(tr("Scanning in progress. Please wait. Do not open scanner cover."));
    text->setWordWrap(true);

    m_indicator->setObjectName(QStringLiteral("busyIndicator"));
    m_indicator->setAnimationDelay(indicatorStepMs);
    m_indicator->setDisplayedWhenStopped(true);
    m_indicator->setAccessibleName(tr("Scanning"));

    m_requestDelay->setSingleShot(true);
    m_requestDelay->setInterval(requestDelayMs);
    connect(m_requestDelay, &QTimer::timeout, this, &ScanPage::requestScan);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addStretch();
    layout->addWidget(m_indicator, 0, Qt::AlignCenter);
    layout->addStretch();
}

void ScanPage::initializePage()
{
    QWizard *wizard = this->wizard();
    wizard->setButtonLayout({QWizard::Stretch, QWizard::CancelButton});
    QAbstractButton *cancel = wizard->button(QWizard::CancelButton);
    if (!m_cancelConnection)
        m_cancelConnection =
            connect(cancel, &QAbstractButton::clicked, this, &ScanPage::scanCancel);
    // Enabled again by the first progress report, once there is a scan to cancel.
    cancel->setEnabled(false);
    m_running = true;
    m_requestDelay->start();
}

void ScanPage::requestScan()
{
    // Started before the request: the scan keeps the event loop busy until its page arrives.
    m_indicator->startAnimation();
    emit needAutoScan();
}

bool ScanPage::validatePage()
{
    // A close within the first moments must not start a scan behind a hidden wizard.
    m_requestDelay->stop();
    disconnect(m_cancelConnection);
    m_cancelConnection = {};
    if (QWizard *wizard = this->wizard())
        wizard->button(QWizard::CancelButton)->setEnabled(true);
    m_indicator->stopAnimation();
    m_running = false;
    return true;
}

int ScanPage::nextId() const
{
    return AutoScanWizard::TimerPageId;
}

void ScanPage::stopBusyIndicator()
{
    m_indicator->stopAnimation();
}

void ScanPage::scanCancel()
{
    validatePage();
    emit cancelScan();
    if (QWizard *wizard = this->wizard())
        wizard->close();
}
