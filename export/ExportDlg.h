#pragma once

#include "ExportBaseDlg.h"
#include "ImageHeader.h"
#include "PdfPageOptions.h"

#include <QImage>

#include <memory>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPrintPreviewWidget;
class QPrinter;
class QTimer;
class QToolButton;

// "Build PDF": writes the pages into one PDF (paper size, orientation, scale mode, margins,
// centring, optionally an invisible layer of recognised text) and shows a print preview of the
// layout that follows every change after half a second and pages through the document.
//
// Use: create once; before every showing call setPages() with the page image files in
// order (it loads the stored settings and the first page), then exec(). "Save to PDF" writes
// the file with a cancellable progress dialog and reports through applied(path) or
// failed(path); nothing happens without pages. GUI thread only.
class ExportDlg : public ExportBaseDlg
{
    Q_OBJECT

public:
    explicit ExportDlg(QWidget *parent = nullptr);
    ~ExportDlg() override;

    void setPages(const QStringList &pages) override;

    // 0-based index of the page the preview shows.
    int currentPage() const { return m_current; }
    // The layout options as the widgets show them.
    PdfPageOptions optionsFromWidgets() const;
    // Why the last "Save to PDF" could not recognise text; empty when it could.
    QString recognitionMessage() const;

public slots:
    void apply() override;
    void printPreview(QPrinter *printer);
    void back();
    void next();
    // Restarts the 500 ms wait after which the preview follows a change.
    void updateTimer();
    void updatePreview();

protected:
    void pagesChanged() override { showPage(0); }

private:
    void loadOptions();
    void showPage(int index);
    void showRecognitionMessage(const QString &message);
    void selectLanguages(const QString &languages);

    std::unique_ptr<QPrinter> m_printer;
    QComboBox *m_paper;
    QComboBox *m_orientation;
    QComboBox *m_scale;
    QDoubleSpinBox *m_left;
    QDoubleSpinBox *m_right;
    QDoubleSpinBox *m_top;
    QDoubleSpinBox *m_bottom;
    QCheckBox *m_centre;
    QCheckBox *m_recognise;
    QComboBox *m_languages;
    QCheckBox *m_compact;
    QComboBox *m_pictureLevel;
    QLabel *m_recognitionMessage;
    QPrintPreviewWidget *m_preview;
    QToolButton *m_back;
    QToolButton *m_next;
    QLabel *m_pageLabel;
    QTimer *m_timer;
    int m_current = 0;
    // The current page as the preview draws it: a reduced copy, never the full image.
    QImage m_previewImage;
    ImageHeader m_previewHeader;
    // The options the printer was last set up with; the preview paints with these.
    PdfPageOptions m_previewOptions;
};
