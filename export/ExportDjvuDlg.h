#pragma once

#include "ExportBaseDlg.h"

class QSpinBox;

// "Export to DjVu": the destination chooser plus the compression percentage, and the export
// through DjvuGenerator. A cancelled export closes the dialog without a notice; every other
// outcome ends in applied(path) or failed(path).
//
// Use: create once; before every showing call setPages() (it loads the stored destination
// and percentage), then exec(). GUI thread only.
class ExportDjvuDlg : public ExportBaseDlg
{
    Q_OBJECT

public:
    explicit ExportDjvuDlg(QWidget *parent = nullptr);

    void setPages(const QStringList &pages) override;

    QSpinBox *percentBox() const { return m_percent; }

public slots:
    void apply() override;

private:
    QSpinBox *m_percent;
};
