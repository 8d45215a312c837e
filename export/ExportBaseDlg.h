#pragma once

#include "DestinationSettings.h"

#include <QDialog>
#include <QStringList>
#include <functional>

class DocxGenerator;
class QCheckBox;
class QDialogButtonBox;
class QLineEdit;
class QRadioButton;
class QVBoxLayout;
class SelectFolderWidget;

// What the four export dialogs share: the page list, the "Settings" group with the
// destination chooser (Desktop, My Documents, Other Folder with its folder field), the name
// field and the open-after-creation check box, the accept and "Cancel" buttons, and the
// applied/failed outcome signals the main window turns into notices.
//
// The main window calls setPages() before every showing (which also loads the stored
// destination), then exec(). GUI thread only.
class ExportBaseDlg : public QDialog
{
    Q_OBJECT

public:
    using Kind = DestinationSettings::Kind;

    const QStringList &pages() const { return m_pages; }
    // Sets the pages to export, in order, and loads the stored destination into the widgets.
    virtual void setPages(const QStringList &pages);
    // After setPages(): the checked ones among them, offered with "Checked pages only" (off
    // at every showing, greyed when none is checked).
    void setCheckedPages(const QStringList &checked);

    // The folder field, owned by the dialog; for replacing its folder chooser.
    SelectFolderWidget *folderField() const { return m_folder; }

signals:
    // Export written to path.
    void applied(const QString &path);
    // path (the output, or a page file that could not be read) failed. reason, for the user:
    // why, when it was not the output that could not be written (a page that could not be
    // read, a missing tool); empty for a write failure.
    void failed(const QString &path, const QString &reason = QString());

public slots:
    // The accept button.
    virtual void apply() = 0;
    // The three destination radio buttons, through toggled(bool).
    void desktop(bool checked);
    void mydoc(bool checked);
    void folder(bool checked);

protected:
    // acceptText: the accept button's text.
    ExportBaseDlg(Kind kind, const QString &acceptText, QWidget *parent);

    Kind kind() const { return m_kind; }
    // The "Settings" group's layout, for the exporter's own options below the destination.
    QVBoxLayout *settingsLayout() const { return m_settingsLayout; }
    QWidget *settingsGroup() const { return m_settingsGroup; }
    QDialogButtonBox *buttons() const { return m_buttons; }
    QCheckBox *openCheck() const { return m_open; }

    // Folder place and folder from the store into the widgets; checking "Other Folder" with
    // an empty folder opens the folder chooser at once.
    void loadDestination();
    DestinationSettings destinationFromWidgets() const;
    // The output path for record once it may be written: a missing desktop or documents
    // folder is created, and an existing file is replaced only when the user says so. Empty
    // when a warning refused the folder or the name, or the user keeps the existing file;
    // the dialog then stays open for a change.
    QString confirmOutputPath(const DestinationSettings &record);

    // The export of the generator-based exporters: confirms the output path, saves the
    // destination, calls confirmed (for the exporter's own settings), runs generator on the
    // path with its progress over this dialog, hides the dialog, reports the outcome (a
    // cancel reports nothing) and closes. Nothing happens without pages, nor when
    // confirmOutputPath() gives no path.
    void applyWith(DocxGenerator &generator, const std::function<void()> &confirmed = {});

    // The pages to export changed with "Checked pages only".
    virtual void pagesChanged() {}

private:
    // Warns with message and puts the focus on field, where the user fixes it.
    void refuse(const QString &message, QWidget *field);

    Kind m_kind;
    QStringList m_pages;
    QStringList m_allPages;
    QStringList m_checkedPages;
    QWidget *m_settingsGroup;
    QVBoxLayout *m_settingsLayout;
    QRadioButton *m_desktop;
    QRadioButton *m_mydoc;
    QRadioButton *m_other;
    SelectFolderWidget *m_folder;
    QLineEdit *m_name;
    QCheckBox *m_open;
    QCheckBox *m_checkedOnly;
    QDialogButtonBox *m_buttons;
};
