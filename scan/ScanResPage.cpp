#include "ScanResPage.h"

#include "NamedComboBox.h"
#include "SettingsKeys.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int listMinimumWidth = 100;
constexpr int resolutions[] = {75, 100, 150, 200, 300, 400, 600};

// Columns of the rows: label, list, unit; the last one takes the spare width.
enum Column
{
    LabelColumn,
    ListColumn,
    UnitColumn,
    SpareColumn
};
} // namespace

ScanResPage::ScanResPage(QWidget *parent) : PropertyPage(tr("Scan Resolution"), parent)
{
    auto *rows = new QGridLayout;
    pageLayout()->addLayout(rows);
    rows->setColumnStretch(SpareColumn, 1);

    int row = 0;
    const auto addRow = [&](const QString &label) {
        auto *list = new NamedComboBox(this);
        list->setMinimumWidth(listMinimumWidth);
        for (const int dpi : resolutions)
            list->addItem(QString::number(dpi), dpi);
        rows->addWidget(labelFor(label, list), row, LabelColumn);
        rows->addWidget(list, row, ListColumn);
        rows->addWidget(new QLabel(tr("dpi"), this), row, UnitColumn);
        ++row;
        return list;
    };
    m_middle = addRow(tr("Middle:"));
    m_good = addRow(tr("Good:"));
    m_high = addRow(tr("High:"));

    connect(addDefaultButton(), &QPushButton::clicked, this, &ScanResPage::byDefault);
}

void ScanResPage::selectResolution(QComboBox *list, int dpi)
{
    list->setCurrentIndex(list->findData(dpi));
}

void ScanResPage::load()
{
    selectResolution(m_middle, readSetting(Settings::MiddleQuality).toInt());
    selectResolution(m_good, readSetting(Settings::GoodQuality).toInt());
    selectResolution(m_high, readSetting(Settings::HighQuality).toInt());
}

void ScanResPage::save()
{
    // A list without current item has no data, which stores as 0.
    writeSetting(Settings::MiddleQuality, m_middle->currentData().toInt());
    writeSetting(Settings::GoodQuality, m_good->currentData().toInt());
    writeSetting(Settings::HighQuality, m_high->currentData().toInt());
}

void ScanResPage::byDefault()
{
    selectResolution(m_middle, Settings::MiddleQuality.defaultValue.toInt());
    selectResolution(m_good, Settings::GoodQuality.defaultValue.toInt());
    selectResolution(m_high, Settings::HighQuality.defaultValue.toInt());
}
