#include "ExportDjvuDlg.h"

#include "DjvuGenerator.h"
#include "SettingsKeys.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

ExportDjvuDlg::ExportDjvuDlg(QWidget *parent)
    : ExportBaseDlg(Kind::Djvu, tr("Save"), parent), m_percent(new QSpinBox(settingsGroup()))
{
    setWindowTitle(tr("Export to DjVu"));
    m_percent->setRange(5, 100);
    m_percent->setSingleStep(1);
    m_percent->setValue(50);
    m_percent->setSuffix(tr(" %"));
    m_percent->setAccessibleName(tr("DjVu Compression"));

    auto *form = new QFormLayout;
    form->addRow(tr("DjVu &Compression:"), m_percent);
    settingsLayout()->addLayout(form);
    settingsLayout()->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(settingsGroup());
    layout->addWidget(buttons());
}

void ExportDjvuDlg::setPages(const QStringList &pages)
{
    ExportBaseDlg::setPages(pages);
    m_percent->setValue(readSetting(Settings::DjvuPercent).toInt());
}

void ExportDjvuDlg::apply()
{
    DjvuGenerator generator;
    // The generator reads the percentage from the store, as a later run would.
    applyWith(generator, [this] { writeSetting(Settings::DjvuPercent, m_percent->value()); });
}
