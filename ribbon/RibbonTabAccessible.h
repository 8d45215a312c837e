#pragma once

#include <QAccessibleInterface>
#include <QPointer>

class QTabBar;

namespace Ribbon {

// What assistive technology sees of one ribbon page title: a page tab that is selected while
// its page shows, and whose press action shows that page. Tabs are no objects of their own,
// so the interface is registered by RibbonTabBarAccessible, which also deletes it.
// GUI thread only.
class RibbonTabAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    RibbonTabAccessible(QTabBar *tabs, int index);

    void *interface_cast(QAccessible::InterfaceType type) override;

    bool isValid() const override;
    QObject *object() const override;
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString &text) override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    QPointer<QTabBar> m_tabs;
    int m_index;
};

} // namespace Ribbon
