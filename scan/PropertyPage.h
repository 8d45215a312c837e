#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QVBoxLayout;

// Base of the options dialog's pages: a titled header over the page's own controls. A page
// reads its settings into its controls with load() and writes them back with save(); nothing
// is stored between the two, so the dialog decides when the settings change.
//
// GUI thread only. Widgets made by the helpers below are children of the page.
class PropertyPage : public QWidget
{
    Q_OBJECT

public:
    explicit PropertyPage(const QString &title, QWidget *parent = nullptr);

    QString title() const { return m_title; }

public slots:
    virtual void load() = 0;
    virtual void save() = 0;

protected:
    // The page's vertical layout; the header is already its first widget.
    QVBoxLayout *pageLayout() const { return m_layout; }
    // A label that is the buddy of control and whose text, without mnemonic, names the control
    // for assistive technology.
    QLabel *labelFor(const QString &text, QWidget *control);
    // Gives a control without a separate label (check box, button) its accessible name.
    static void nameAfterText(QWidget *control, const QString &text);
    // The "Default" button in its row at the bottom of the page, below a stretch.
    QPushButton *addDefaultButton();

private:
    QString m_title;
    QVBoxLayout *m_layout;
    QLabel *m_header;
};
