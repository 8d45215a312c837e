#pragma once

#include "ScannerSource.h"

#include <QDialog>
#include <QList>

class QDialogButtonBox;
class QListWidget;

// Lets the user pick the scanner to use. Lists the sources with the current one selected;
// OK is available only while a source is selected. The dialog only reports the choice;
// the library keeps it. GUI thread only; parented to the window that opens it.
class SourceSelectDlg : public QDialog
{
    Q_OBJECT

public:
    SourceSelectDlg(const QList<ScannerSource> &sources, const QString &current,
                    QWidget *parent = nullptr);

    // Device name of the selected source; empty when none is selected.
    QString selectedSource() const;

private:
    void updateButtons();

    QListWidget *m_list = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};
