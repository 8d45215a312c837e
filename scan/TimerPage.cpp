#include "TimerPage.h"

#include "AutoScanWizard.h"
#include "SettingsKeys.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QGraphicsDropShadowEffect>
#include <QKeySequence>
#include <QLabel>
#include <QShortcut>
#include <QTimerEvent>
#include <QVBoxLayout>

namespace {
constexpr int tickMs = 1000;
constexpr int countdownPixelSize = 120;
constexpr QPointF shadowOffset(2, 2);
} // namespace

TimerPage::TimerPage(QWidget *parent)
    : QWizardPage(parent), m_countdown(new QLabel), m_note(new QLabel)
{
    setObjectName(QStringLiteral("TimerPage"));
    setTitle(tr("Waiting"));
    setSubTitle(tr("Next scan will begin soon. Change page in the scanner.<br>Press "
                   "<b>SPACE</b> to pause timer. Press <b>ENTER</b> to run Scan Now."));

    QFont font = m_countdown->font();
    font.setBold(true);
    font.setPixelSize(countdownPixelSize);
    font.setStyleStrategy(QFont::PreferAntialias);
    m_countdown->setObjectName(QStringLiteral("countdown"));
    m_countdown->setFont(font);
    m_countdown->setAlignment(Qt::AlignCenter);
    m_countdown->setStyleSheet(QStringLiteral(".QLabel {color: white;}"));
    // White digits need the hard shadow to stay readable on a light page.
    auto *shadow = new QGraphicsDropShadowEffect(m_countdown);
    shadow->setColor(QColor(QStringLiteral("#000000")));
    shadow->setBlurRadius(0);
    shadow->setOffset(shadowOffset);
    m_countdown->setGraphicsEffect(shadow);

    // Page shortcuts, so they only act while the countdown is shown.
    auto *pause = new QShortcut(QKeySequence(Qt::Key_Space), this);
    connect(pause, &QShortcut::activated, this, &TimerPage::toggleTimer);
    for (const Qt::Key key : {Qt::Key_Enter, Qt::Key_Return}) {
        auto *scanNow = new QShortcut(QKeySequence(key), this);
        connect(scanNow, &QShortcut::activated, this, &TimerPage::toScan);
    }

    m_note->setWordWrap(true);
    m_note->setAlignment(Qt::AlignCenter);
    QFont noteFont = m_note->font();
    noteFont.setBold(true);
    m_note->setFont(noteFont);
    m_note->hide();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_note);
    layout->addWidget(m_countdown);
}

void TimerPage::setNote(const QString &note)
{
    m_note->setText(note);
    m_note->setAccessibleName(note);
    m_note->setVisible(!note.isEmpty());
}

void TimerPage::initializePage()
{
    QWizard *wizard = this->wizard();
    wizard->setButtonLayout(
        {QWizard::CustomButton1, QWizard::Stretch, QWizard::CustomButton2, QWizard::FinishButton});
    setButton(QWizard::CustomButton1, tr("&Stop Timer"));
    connect(wizard->button(QWizard::CustomButton1), &QAbstractButton::clicked, this,
            &TimerPage::toggleTimer, Qt::UniqueConnection);
    setButton(QWizard::CustomButton2, tr("Scan &Now >"));
    connect(wizard->button(QWizard::CustomButton2), &QAbstractButton::clicked, this,
            &TimerPage::toScan, Qt::UniqueConnection);

    m_remaining = readSetting(Settings::AutoScanTime).toInt();
    showRemaining();
    m_paused = false;
    stopTimer();
    m_timerId = startTimer(tickMs);
}

void TimerPage::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timerId) {
        QWizardPage::timerEvent(event);
        return;
    }
    // Paused ticks are skipped rather than the timer stopped, so resuming keeps the rhythm.
    if (m_paused)
        return;
    --m_remaining;
    if (m_remaining >= 0) {
        showRemaining();
        return;
    }
    // The tick after "00": the page is left at once, so -1 is never shown.
    stopTimer();
    restartWizardAt(AutoScanWizard::ScanPageId);
}

void TimerPage::toggleTimer()
{
    m_paused = !m_paused;
    setButton(QWizard::CustomButton1, m_paused ? tr("&Resume Timer") : tr("&Stop Timer"));
}

void TimerPage::toScan()
{
    stopTimer();
    restartWizardAt(AutoScanWizard::ScanPageId);
}

bool TimerPage::validatePage()
{
    stopTimer();
    m_paused = false;
    restartWizardAt(AutoScanWizard::IntroPageId);
    return true;
}

int TimerPage::nextId() const
{
    return -1;
}

void TimerPage::stopTimer()
{
    if (m_timerId != 0)
        killTimer(m_timerId);
    m_timerId = 0;
}

void TimerPage::restartWizardAt(int pageId)
{
    if (QWizard *wizard = this->wizard()) {
        wizard->setStartId(pageId);
        wizard->restart();
    }
}

void TimerPage::setButton(QWizard::WizardButton which, const QString &text)
{
    // The blanks widen the buttons; the spoken name goes without them and the mnemonic.
    QWizard *wizard = this->wizard();
    if (!wizard)
        return;
    wizard->setButtonText(which, QLatin1Char(' ') + text + QLatin1Char(' '));
    wizard->button(which)->setAccessibleName(
        QString(text).remove(QLatin1Char('&')).remove(QLatin1Char('>')).trimmed());
}

void TimerPage::showRemaining()
{
    m_countdown->setText(QStringLiteral("%1").arg(m_remaining, 2, 10, QLatin1Char('0')));
    // The bare digits say nothing when read out, and a screen reader should hear each second.
    m_countdown->setAccessibleName(tr("Next scan in %n seconds", nullptr, m_remaining));
    QAccessibleEvent changed(m_countdown, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}
