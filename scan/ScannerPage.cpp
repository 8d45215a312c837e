#include "ScannerPage.h"

#include "SettingsKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ScannerPage::ScannerPage(QWidget *parent)
    : PropertyPage(tr("Scanner"), parent), m_paperSource(new QComboBox(this)),
      m_acquire(new QComboBox(this)),
      m_autoContrast(new QCheckBox(tr("Automatic c&ontrast adjustment of scanned pages"), this)),
      m_preview(new QCheckBox(tr("Scan with &preview"), this))
{
    auto *description = new QLabel(
        tr("You can change the scan options and select or deselect the document feeder."), this);
    description->setWordWrap(true);
    pageLayout()->addWidget(description);

    // The item data are the numbers the scanner session reads back.
    m_paperSource->addItem(tr("Flatbed (platen)"), 0);
    m_paperSource->addItem(tr("Automatic Feeder (ADF)"), 1);
    m_acquire->addItem(tr("One image"), 0);
    m_acquire->addItem(tr("All available images"), 1);

    auto *rows = new QFormLayout;
    rows->addRow(labelFor(tr("Paper Source:"), m_paperSource), m_paperSource);
    rows->addRow(labelFor(tr("Acquire:"), m_acquire), m_acquire);
    pageLayout()->addLayout(rows);

    nameAfterText(m_autoContrast, m_autoContrast->text());
    nameAfterText(m_preview, m_preview->text());
    pageLayout()->addWidget(m_autoContrast);
    pageLayout()->addWidget(m_preview);

    connect(addDefaultButton(), &QPushButton::clicked, this, &ScannerPage::byDefault);
}

void ScannerPage::load()
{
    m_paperSource->setCurrentIndex(readSetting(Settings::PaperSource).toInt());
    m_acquire->setCurrentIndex(readSetting(Settings::AcquireImage).toInt());
    m_autoContrast->setChecked(readSetting(Settings::AutoContrast).toBool());
    m_preview->setChecked(readSetting(Settings::Preview).toBool());
}

void ScannerPage::save()
{
    // A list without current item has no data, which stores as 0.
    writeSetting(Settings::PaperSource, m_paperSource->currentData().toInt());
    writeSetting(Settings::AcquireImage, m_acquire->currentData().toInt());
    writeSetting(Settings::AutoContrast, m_autoContrast->isChecked());
    writeSetting(Settings::Preview, m_preview->isChecked());
}

void ScannerPage::byDefault()
{
    m_paperSource->setCurrentIndex(
        m_paperSource->findData(Settings::PaperSource.defaultValue.toInt()));
    m_acquire->setCurrentIndex(m_acquire->findData(Settings::AcquireImage.defaultValue.toInt()));
    m_autoContrast->setChecked(Settings::AutoContrast.defaultValue.toBool());
    m_preview->setChecked(Settings::Preview.defaultValue.toBool());
}
