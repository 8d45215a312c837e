#include "ExportWordDlg.h"

#include "DocxGenerator.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

ExportWordDlg::ExportWordDlg(QWidget *parent) : ExportBaseDlg(Kind::Word, tr("Save"), parent)
{
    setWindowTitle(tr("Export to Microsoft Word"));
    settingsLayout()->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(settingsGroup());
    layout->addWidget(buttons());
}

void ExportWordDlg::apply()
{
    DocxGenerator generator;
    applyWith(generator);
}
