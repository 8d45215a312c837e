#include "AutoScanWizard.h"

#include "IntroPage.h"
#include "ScanPage.h"
#include "TimerPage.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QPixmap>

namespace {
// The spoken name of a button: its visible text without mnemonic and arrow.
QString spokenName(const QString &text)
{
    return QString(text).remove(QLatin1Char('&')).remove(QLatin1Char('>')).trimmed();
}
} // namespace

AutoScanWizard::AutoScanWizard(QWidget *parent)
    : QWizard(parent), m_introPage(new IntroPage), m_scanPage(new ScanPage),
      m_timerPage(new TimerPage)
{
    setObjectName(QStringLiteral("AutoScanWizard"));
    setWindowTitle(tr("Quillary"));
    // Left alone, the widget style picks it (the classic look under Fusion); the logo and the
    // watermark belong to the modern one.
    setWizardStyle(QWizard::ModernStyle);
    setOption(QWizard::HaveHelpButton, false);
    setPixmap(QWizard::LogoPixmap, QPixmap(QStringLiteral(":/images/LogoWizard")));

    setPage(IntroPageId, m_introPage);
    setPage(ScanPageId, m_scanPage);
    setPage(TimerPageId, m_timerPage);
    setStartId(IntroPageId);
    setButtonLayout(defaultButtonLayout());
    for (const QWizard::WizardButton which :
         {QWizard::NextButton, QWizard::CancelButton, QWizard::FinishButton})
        button(which)->setAccessibleName(spokenName(buttonText(which)));

    connect(m_scanPage, &ScanPage::needAutoScan, this, &AutoScanWizard::needAutoScan);
    connect(m_scanPage, &ScanPage::cancelScan, this, &AutoScanWizard::cancelScan);
}

QList<QWizard::WizardButton> AutoScanWizard::defaultButtonLayout()
{
    return {QWizard::Stretch, QWizard::NextButton, QWizard::CancelButton};
}

void AutoScanWizard::scanPercent(int percent)
{
    Q_UNUSED(percent)
    button(QWizard::CancelButton)->setEnabled(true);
}

void AutoScanWizard::pageScanned()
{
    // A feeder delivers several pages in one scan; only the first one moves the wizard on.
    if (currentId() == ScanPageId)
        next();
}

void AutoScanWizard::finish()
{
    close();
}

void AutoScanWizard::stopBusyIndicator()
{
    m_scanPage->stopBusyIndicator();
}

void AutoScanWizard::done(int result)
{
    // Escape and Cancel end the cycle like closing the window does.
    if (result == QDialog::Rejected)
        stopCycle();
    QWizard::done(result);
}

void AutoScanWizard::closeEvent(QCloseEvent *event)
{
    stopCycle();
    QWizard::closeEvent(event);
}

void AutoScanWizard::stopCycle()
{
    switch (currentId()) {
    case ScanPageId: {
        // After scanCancel() the main window already knows; tell it only once.
        const bool running = m_scanPage->isRunning();
        m_scanPage->validatePage();
        m_timerPage->validatePage();
        if (running)
            emit cancelScan();
        break;
    }
    case TimerPageId:
        m_timerPage->validatePage();
        break;
    default:
        break;
    }
}
