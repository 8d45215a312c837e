#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;

// The modal progress dialog of an export. The exporter opens it with open() (window-modal,
// not blocking), enters the creating phase, then the writing phase once per page, processing
// events in between, and calls finish() before closing it. Until then the user cannot close
// it; "Cancel" only records the wish, which the exporter checks between pages.
//
// ImgProgress, WordProgress and DjvuProgress differ only in their texts.
// GUI thread only.
class PdfProgress : public QDialog
{
    Q_OBJECT

public:
    PdfProgress(int pageCount, QWidget *parent = nullptr);

    // First phase: creating text, cancel disabled, bar at 0. The PDF dialog's also forgets
    // an earlier cancel.
    void setCreatingPhase();
    // Second phase: writing text, cancel enabled, bar at page (1-based).
    void setWritingPhase(int page);
    // Waiting for the text of page (1-based) to be recognised: cancel enabled.
    void setRecognisingPhase(int page);
    // The export is over: the dialog may close.
    void finish();

    bool isCancelRequested() const { return m_cancelRequested; }
    bool isClosable() const { return m_closable; }

public slots:
    void cancelClicked();
    // Refused while the export runs.
    void reject() override;

signals:
    void cancelled();

protected:
    PdfProgress(int pageCount, const QString &creatingText, const QString &writingText,
                bool creatingClearsCancel, QWidget *parent);

    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QProgressBar *m_bar;
    QLabel *m_label;
    QPushButton *m_cancel;
    bool m_closable = false;
    bool m_cancelRequested = false;
    QString m_creatingText;
    QString m_writingText;
    bool m_creatingClearsCancel;
};
