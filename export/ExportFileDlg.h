#pragma once

#include "ExportBaseDlg.h"

class QComboBox;
class QLabel;
class QSpinBox;

// "Export to image list": every page as its own image file (JPEG, TIFF, PNG or BMP),
// numbered in list order ("Scan_01.jpg" …), in a new sub-folder of the destination that
// never replaces anything ("Scan", else "Scan (1)", "Scan (2)" …).
//
// Every file is written whole or not at all. A cancel, or a page that cannot be read, removes
// what this export wrote, sub-folder included. Outcomes: applied(folder) when every page was
// written; partlyApplied() when some could not be written; failed(path) when none was or the
// sub-folder could not be made, and failed(page, reason) for a page that cannot be read. Use:
// create once; setPages() before every showing, then exec(). GUI thread only.
class ExportFileDlg : public ExportBaseDlg
{
    Q_OBJECT

public:
    explicit ExportFileDlg(QWidget *parent = nullptr);

    void setPages(const QStringList &pages) override;

    // The digits of pageCount: the width every page number is padded to.
    static int counterWidth(int pageCount);
    // name, or name with " (1)", " (2)" … : the first with no entry of that name in folder.
    static QString uniqueName(const QString &folder, const QString &name);

    QComboBox *formatBox() const { return m_format; }
    QSpinBox *qualityBox() const { return m_quality; }

signals:
    // written of total pages are in folder; firstFailed is the first file that could not be.
    void partlyApplied(const QString &folder, int written, int total, const QString &firstFailed);

public slots:
    void apply() override;
    // The quality box is shown for JPEG only.
    void formatChanged(int index);

private:
    void loadFormat();

    QComboBox *m_format;
    QLabel *m_qualityLabel;
    QSpinBox *m_quality;
};
