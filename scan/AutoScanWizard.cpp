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
    connect(m_scanPage, &ScanPage::cancelScan, this, &AutoScanWizard::endCycle);
    connect(this, &QWizard::currentIdChanged, this, [this](int id) {
        if (id == ScanPageId || id == TimerPageId)
            m_cycleRunning = true;
    });
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

void AutoScanWizard::setNote(const QString &note)
{
    m_timerPage->setNote(note);
}

void AutoScanWizard::done(int result)
{
    // Escape and Cancel end the cycle like closing the window does.
    if (result == QDialog::Rejected)
        stopCycle();
    // Finish on the countdown ends the cycle too, and with it the rest of a feeder run.
    endCycle();
    QWizard::done(result);
}

void AutoScanWizard::closeEvent(QCloseEvent *event)
{
    stopCycle();
    endCycle();
    QWizard::closeEvent(event);
}

void AutoScanWizard::stopCycle()
{
    switch (currentId()) {
    case ScanPageId:
        m_scanPage->validatePage();
        m_timerPage->validatePage();
        break;
    case TimerPageId:
        m_timerPage->validatePage();
        break;
    default:
        break;
    }
}

void AutoScanWizard::endCycle()
{
    // Once per cycle, however many ways of closing run into each other.
    if (!m_cycleRunning)
        return;
    m_cycleRunning = false;
    emit cancelScan();
}
