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
      m_bookScan(new QCheckBox), m_twoSided(new QCheckBox)
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

    m_twoSided->setObjectName(QStringLiteral("twoSided"));
    m_twoSided->setText(tr("Two-sided stack: the fronts, then the stack turned over for the "
                           "backs"));
    m_twoSided->setAccessibleName(m_twoSided->text());

    auto *intervalRow = new QHBoxLayout;
    intervalRow->addWidget(intervalLabel);
    intervalRow->addWidget(m_interval);
    intervalRow->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(about);
    layout->addLayout(intervalRow);
    layout->addWidget(m_scanNow);
    layout->addWidget(m_bookScan);
    layout->addWidget(m_twoSided);
    layout->addStretch();
}

void IntroPage::initializePage()
{
    // The countdown page replaced the row; a new run starts with the wizard's own.
    wizard()->setButtonLayout(AutoScanWizard::defaultButtonLayout());
    m_interval->setValue(readSetting(Settings::AutoScanTime).toInt());
    m_scanNow->setChecked(readSetting(Settings::AutoScanNow).toBool());
    m_bookScan->setChecked(readSetting(Settings::BookScan).toBool());
    // Each pass is one feeder run; a duplex feeder needs no second pass.
    const bool feederRuns = readSetting(Settings::PaperSource).toInt() == 1 &&
                            readSetting(Settings::AcquireImage).toInt() == 1;
    m_twoSided->setEnabled(feederRuns);
    m_twoSided->setToolTip(feederRuns ? QString()
                                      : tr("Needs the feeder set to acquire all available "
                                           "images (Settings)"));
    m_twoSided->setChecked(feederRuns && readSetting(Settings::TwoSidedStack).toBool());
}

bool IntroPage::validatePage()
{
    writeSetting(Settings::AutoScanTime, m_interval->value());
    writeSetting(Settings::AutoScanNow, m_scanNow->isChecked());
    // BookScanning steers the page processing of this run; BookScan only remembers the box.
    writeSetting(Settings::BookScanning, m_bookScan->isChecked());
    writeSetting(Settings::BookScan, m_bookScan->isChecked());
    writeSetting(Settings::TwoSidedScanning, m_twoSided->isChecked());
    if (m_twoSided->isEnabled())
        writeSetting(Settings::TwoSidedStack, m_twoSided->isChecked());
    return true;
}

int IntroPage::nextId() const
{
    return m_scanNow->isChecked() ? AutoScanWizard::ScanPageId : AutoScanWizard::TimerPageId;
}
