#pragma once

#include <QAccessibleWidget>
#include <QHash>

class QTabBar;

namespace Ribbon {

// The ribbon's page titles for assistive technology: a page tab list whose children are the
// tabs (RibbonTabAccessible), then the bar's scroll buttons. Qt's own tab bar interface does
// not tell which tab is selected. Made by factory(), which RibbonTabBar installs.
// GUI thread only.
class RibbonTabBarAccessible : public QAccessibleWidget
{
public:
    explicit RibbonTabBarAccessible(QTabBar *tabs);
    ~RibbonTabBarAccessible() override;

    static QAccessibleInterface *factory(const QString &className, QObject *object);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

private:
    QTabBar *tabs() const;
    QList<QWidget *> scrollButtons() const;

    mutable QHash<int, QAccessible::Id> m_tabIds;
};

} // namespace Ribbon
