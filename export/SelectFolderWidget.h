#pragma once

#include <QWidget>

#include <functional>

class QLineEdit;
class QToolButton;

// The folder field of the destination chooser: "&Folder:", a line edit and a "..." button
// that opens the platform's folder chooser. Shown and hidden as a whole. GUI thread only.
class SelectFolderWidget : public QWidget
{
    Q_OBJECT

public:
    // Asks for an existing folder: parent, title, starting folder; empty when cancelled.
    using Chooser = std::function<QString(QWidget *, const QString &, const QString &)>;

    explicit SelectFolderWidget(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);

    // Replaces the platform's folder chooser; tests use it, a modal chooser would block them.
    void setChooser(Chooser chooser);

public slots:
    // "Select a folder", starting from the current text; a chosen folder replaces the text
    // in native separators, a cancelled choice leaves it.
    void browseDir();

private:
    QLineEdit *m_edit;
    QToolButton *m_browse;
    Chooser m_chooser;
};
