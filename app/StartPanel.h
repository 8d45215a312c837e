#pragma once

#include <QWidget>

class QDate;
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
    // A line under the offer telling which pages a new document deletes for good; empty
    // hides it.
    void setRemovalWarning(const QString &text);
    QString removalWarning() const;

    // The caption of the window's empty areas: bold, white, with a hard shadow.
    static QLabel *captionLabel(Qt::Alignment alignment);

    // "1 page from your last session", "N pages from your last session".
    static QString waitingText(int count);
    // "5 earlier sessions kept; the oldest, 12 pages of 3 March 2024, will be removed when
    // you start a new document."
    static QString removalText(int sessions, int pages, const QDate &date);

signals:
    void restoreRequested();

private:
    QLabel *m_message;
    QPushButton *m_restore;
    QLabel *m_removal;
    int m_waiting = 0;
};
