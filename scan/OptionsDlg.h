#pragma once

#include <QDialog>
#include <QHash>
#include <QList>

class PropertyModel;
class PropertyPage;
class QDialogButtonBox;
class QModelIndex;
class QStackedWidget;
class QTreeView;

// The "Settings" dialog: a tree of categories beside the page of the current one. Every time
// the dialog is shown its pages read the settings store; only "OK" writes it back, together
// with the current category so that the next dialog opens on it. The caller runs it with
// exec() and, when accepted, rereads the quality resolutions it uses.
//
// GUI thread only. The dialog owns its model and pages.
class OptionsDlg : public QDialog
{
    Q_OBJECT

public:
    // duplexOffered: the scanner in use can scan both sides of a sheet.
    explicit OptionsDlg(QWidget *parent = nullptr, bool duplexOffered = false);

public slots:
    // Shows the page of the current category and selects its row.
    void selected(const QModelIndex &current, const QModelIndex &previous);
    // Stores every page and the current category, then accepts.
    void save();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void addPage(PropertyPage *page);
    void load();

    PropertyModel *m_model;
    QTreeView *m_tree;
    QStackedWidget *m_stack;
    QDialogButtonBox *m_buttons;
    // In load and save order.
    QList<PropertyPage *> m_pages;
    QHash<int, PropertyPage *> m_pageByKind;
    QHash<QString, int> m_kindByPageName;
};
