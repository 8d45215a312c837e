#include "RibbonTabBarAccessible.h"

#include "RibbonTabAccessible.h"
#include "RibbonTabBar.h"

#include <QToolButton>

namespace Ribbon {

RibbonTabBarAccessible::RibbonTabBarAccessible(QTabBar *tabs)
    : QAccessibleWidget(tabs, QAccessible::PageTabList)
{
}

RibbonTabBarAccessible::~RibbonTabBarAccessible()
{
    for (const QAccessible::Id id : std::as_const(m_tabIds))
        QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface *RibbonTabBarAccessible::factory(const QString &className, QObject *object)
{
    if (className == QLatin1String(RibbonTabBar::staticMetaObject.className())) {
        if (auto *tabs = qobject_cast<RibbonTabBar *>(object))
            return new RibbonTabBarAccessible(tabs);
    }
    return nullptr;
}

QTabBar *RibbonTabBarAccessible::tabs() const
{
    return static_cast<QTabBar *>(widget());
}

QList<QWidget *> RibbonTabBarAccessible::scrollButtons() const
{
    QList<QWidget *> buttons;
    for (QToolButton *button : tabs()->findChildren<QToolButton *>(Qt::FindDirectChildrenOnly))
        buttons << button;
    return buttons;
}

int RibbonTabBarAccessible::childCount() const
{
    return tabs()->count() + int(scrollButtons().size());
}

QAccessibleInterface *RibbonTabBarAccessible::child(int index) const
{
    if (index < 0)
        return nullptr;
    if (index < tabs()->count()) {
        if (const QAccessible::Id id = m_tabIds.value(index))
            return QAccessible::accessibleInterface(id);
        auto *tab = new RibbonTabAccessible(tabs(), index);
        m_tabIds.insert(index, QAccessible::registerAccessibleInterface(tab));
        return tab;
    }
    QWidget *button = scrollButtons().value(index - tabs()->count());
    return button ? QAccessible::queryAccessibleInterface(button) : nullptr;
}

int RibbonTabBarAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child)
        return -1;
    for (int index = 0; index < childCount(); ++index) {
        if (this->child(index) == child)
            return index;
    }
    return -1;
}

} // namespace Ribbon
