#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The start area of the window: an empty caption while there is nothing to offer, or the
// pages of the last session waiting to be restored, with a button that restores them.
// GUI thread only.
class StartPanel : public QWidget
{
    Q_OBJECT
public:
    explicit StartPanel(QWidget *parent = nullptr);

    // count pages of the last session wait in the work folder; 0 hides the offer.
    void setWaitingPages(int count);
    int waitingPages() const { return m_waiting; }
    QString message() const;
    QPushButton *restoreButton() const { return m_restore; }

    // The caption of the window's empty areas: bold, white, with a hard shadow.
    static QLabel *captionLabel(Qt::Alignment alignment);

    // "1 page from your last session", "N pages from your last session".
    static QString waitingText(int count);

signals:
    void restoreRequested();

private:
    QLabel *m_message;
    QPushButton *m_restore;
    int m_waiting = 0;
};
