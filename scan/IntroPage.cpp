#include "IntroPage.h"

#include "AutoScanWizard.h"
#include "SettingsKeys.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr int intervalMinimumWidth = 60;
constexpr int shortestInterval = 1;
constexpr int longestInterval = 60;
constexpr int initialInterval = 15;
} // namespace

IntroPage::IntroPage(QWidget *parent)
    : QWizardPage(parent), m_interval(new QSpinBox), m_scanNow(new QCheckBox),
      m_bookScan(new QCheckBox)
{
    setObjectName(QStringLiteral("IntroPage"));
    setTitle(tr("AutoScan"));
    setPixmap(QWizard::WatermarkPixmap, QPixmap(QStringLiteral(":/images/WatermarkAuto")));

    auto *about =
        new QLabel(tr("<b>Quillary</b> will automatically run a scan after a specified time "
                      "interval."));
    about->setWordWrap(true);

    auto *intervalLabel = new QLabel(tr("Select the time interval in seconds:"));
    intervalLabel->setBuddy(m_interval);
    m_interval->setObjectName(QStringLiteral("interval"));
    m_interval->setMinimumWidth(intervalMinimumWidth);
    m_interval->setRange(shortestInterval, longestInterval);
    m_interval->setValue(initialInterval);
    m_interval->setAccessibleName(tr("Time interval in seconds"));

    m_scanNow->setObjectName(QStringLiteral("scanNow"));
    m_scanNow->setText(tr("Scan first page now (don't wait)"));
    m_scanNow->setAccessibleName(m_scanNow->text());
    m_scanNow->setChecked(true);

    const QString book = tr("Scan book reversal");
    const QString twoPages = tr("(2 pages at once)");
    m_bookScan->setObjectName(QStringLiteral("bookScan"));
    m_bookScan->setText(book + QLatin1Char('\n') + twoPages);
    m_bookScan->setAccessibleName(book + QLatin1Char(' ') + twoPages);
    m_bookScan->setChecked(false);

    auto *intervalRow = new QHBoxLayout;
    intervalRow->addWidget(intervalLabel);
    intervalRow->addWidget(m_interval);
    intervalRow->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(about);
    layout->addLayout(intervalRow);
    layout->addWidget(m_scanNow);
    layout->addWidget(m_bookScan);
    layout->addStretch();
}

void IntroPage::initializePage()
{
    // The countdown page replaced the row; a new run starts with the wizard's own.
    wizard()->setButtonLayout(AutoScanWizard::defaultButtonLayout());
    m_interval->setValue(readSetting(Settings::AutoScanTime).toInt());
    m_scanNow->setChecked(readSetting(Settings::AutoScanNow).toBool());
    m_bookScan->setChecked(readSetting(Settings::BookScan).toBool());
}

bool IntroPage::validatePage()
{
    writeSetting(Settings::AutoScanTime, m_interval->value());
    writeSetting(Settings::AutoScanNow, m_scanNow->isChecked());
    // BookScanning steers the page processing of this run; BookScan only remembers the box.
    writeSetting(Settings::BookScanning, m_bookScan->isChecked());
    writeSetting(Settings::BookScan, m_bookScan->isChecked());
    return true;
}

int IntroPage::nextId() const
{
    return m_scanNow->isChecked() ? AutoScanWizard::ScanPageId : AutoScanWizard::TimerPageId;
}
