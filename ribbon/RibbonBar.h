#pragma once

#include <QMetaObject>
#include <QPointer>
#include <QWidget>

class QLabel;
class QStackedWidget;

namespace Ribbon {

class RibbonPage;
class RibbonTabBar;

// The ribbon: an optional title strip, the row of page titles and the panel of the current
// page. Pages are shown in the order they were added; a title's mnemonic ("&Scan && PDF")
// is underlined and Alt+letter switches to that page.
// Commands added to any group stay reachable by their shortcuts whichever page is shown.
// GUI thread only.
class RibbonBar : public QWidget
{
    Q_OBJECT

public:
    explicit RibbonBar(QWidget *parent = nullptr);

    // Appends a page; the bar owns it.
    RibbonPage *addPage(const QString &title);
    int pageCount() const;
    // The page at index, or null when out of range.
    RibbonPage *page(int index) const;

    // An index out of range is ignored.
    void setCurrentPage(int index);
    // The shown page, -1 while there is none.
    int currentPage() const;

    // The strip with the window title above the page titles; shown unless switched off.
    void setTitleBarVisible(bool visible);
    bool isTitleBarVisible() const;

signals:
    void currentPageChanged(int index);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void watchWindow();
    void updateTitle();
    void connectTheme();
    void applyTheme();

    QLabel *m_titleBar;
    RibbonTabBar *m_tabs;
    QStackedWidget *m_stack;
    QList<RibbonPage *> m_pages;
    bool m_titleBarVisible;
    QPointer<QWidget> m_watchedWindow;
    QMetaObject::Connection m_themeConnection;
};

} // namespace Ribbon
