#include "ScannerPage.h"

#include "SettingsKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ScannerPage::ScannerPage(bool duplexOffered, QWidget *parent)
    : PropertyPage(tr("Scanner"), parent), m_paperSource(new QComboBox(this)),
      m_acquire(new QComboBox(this)),
      m_autoContrast(new QCheckBox(tr("Automatic c&ontrast adjustment of scanned pages"), this)),
      m_preview(new QCheckBox(tr("Scan with &preview"), this)),
      m_orientation(new QCheckBox(tr("Turn pages &upright automatically"), this)),
      m_skipBlank(new QCheckBox(tr("Leave out &blank pages of a feeder run"), this))
{
    auto *description = new QLabel(
        tr("You can change the scan options and select or deselect the document feeder."), this);
    description->setWordWrap(true);
    pageLayout()->addWidget(description);

    // The item data are the numbers the scanner session reads back.
    m_paperSource->addItem(tr("Flatbed (platen)"), 0);
    m_paperSource->addItem(tr("Automatic Feeder (ADF)"), 1);
    if (duplexOffered)
        m_paperSource->addItem(tr("Automatic Feeder, both sides (duplex)"), 2);
    m_acquire->addItem(tr("One image"), 0);
    m_acquire->addItem(tr("All available images"), 1);

    auto *rows = new QFormLayout;
    rows->addRow(labelFor(tr("Paper Source:"), m_paperSource), m_paperSource);
    rows->addRow(labelFor(tr("Acquire:"), m_acquire), m_acquire);
    pageLayout()->addLayout(rows);

    for (QCheckBox *box : {m_autoContrast, m_preview, m_orientation, m_skipBlank}) {
        nameAfterText(box, box->text());
        pageLayout()->addWidget(box);
    }

    connect(addDefaultButton(), &QPushButton::clicked, this, &ScannerPage::byDefault);
}

void ScannerPage::load()
{
    const int source = readSetting(Settings::PaperSource).toInt();
    m_paperSource->setCurrentIndex(source == 2 && m_paperSource->count() < 3 ? 1 : source);
    m_acquire->setCurrentIndex(readSetting(Settings::AcquireImage).toInt());
    m_autoContrast->setChecked(readSetting(Settings::AutoContrast).toBool());
    m_preview->setChecked(readSetting(Settings::Preview).toBool());
    m_orientation->setChecked(readSetting(Settings::AutoOrientation).toBool());
    m_skipBlank->setChecked(readSetting(Settings::SkipBlankPages).toBool());
}

void ScannerPage::save()
{
    // A list without current item has no data, which stores as 0.
    writeSetting(Settings::PaperSource, m_paperSource->currentData().toInt());
    writeSetting(Settings::AcquireImage, m_acquire->currentData().toInt());
    writeSetting(Settings::AutoContrast, m_autoContrast->isChecked());
    writeSetting(Settings::Preview, m_preview->isChecked());
    writeSetting(Settings::AutoOrientation, m_orientation->isChecked());
    writeSetting(Settings::SkipBlankPages, m_skipBlank->isChecked());
}

void ScannerPage::byDefault()
{
    m_paperSource->setCurrentIndex(
        m_paperSource->findData(Settings::PaperSource.defaultValue.toInt()));
    m_acquire->setCurrentIndex(m_acquire->findData(Settings::AcquireImage.defaultValue.toInt()));
    m_autoContrast->setChecked(Settings::AutoContrast.defaultValue.toBool());
    m_preview->setChecked(Settings::Preview.defaultValue.toBool());
    m_orientation->setChecked(Settings::AutoOrientation.defaultValue.toBool());
    m_skipBlank->setChecked(Settings::SkipBlankPages.defaultValue.toBool());
}
