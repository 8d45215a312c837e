#pragma once

#include "ExportBaseDlg.h"

// "Export to Microsoft Word": the destination chooser and the export through DocxGenerator.
// A cancelled export closes the dialog without a notice; every other outcome ends in
// applied(path) or failed(path).
//
// Use: create once; before every showing call setPages() (it loads the stored destination),
// then exec(). GUI thread only.
class ExportWordDlg : public ExportBaseDlg
{
    Q_OBJECT

public:
    explicit ExportWordDlg(QWidget *parent = nullptr);

public slots:
    void apply() override;
};
