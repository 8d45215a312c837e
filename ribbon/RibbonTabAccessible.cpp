#include "RibbonTabAccessible.h"

#include "RibbonText.h"

#include <QTabBar>

namespace Ribbon {

RibbonTabAccessible::RibbonTabAccessible(QTabBar *tabs, int index) : m_tabs(tabs), m_index(index)
{
}

void *RibbonTabAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

bool RibbonTabAccessible::isValid() const
{
    return m_tabs && m_index < m_tabs->count();
}

QObject *RibbonTabAccessible::object() const
{
    return nullptr;
}

QWindow *RibbonTabAccessible::window() const
{
    QAccessibleInterface *bar = parent();
    return bar ? bar->window() : nullptr;
}

QAccessibleInterface *RibbonTabAccessible::parent() const
{
    return m_tabs ? QAccessible::queryAccessibleInterface(m_tabs.data()) : nullptr;
}

QAccessibleInterface *RibbonTabAccessible::child(int) const
{
    return nullptr;
}

int RibbonTabAccessible::childCount() const
{
    return 0;
}

int RibbonTabAccessible::indexOfChild(const QAccessibleInterface *) const
{
    return -1;
}

QAccessibleInterface *RibbonTabAccessible::childAt(int, int) const
{
    return nullptr;
}

QString RibbonTabAccessible::text(QAccessible::Text t) const
{
    if (!isValid())
        return {};
    switch (t) {
    case QAccessible::Name: {
        const QString name = m_tabs->accessibleTabName(m_index);
        return name.isEmpty() ? plainText(m_tabs->tabText(m_index)) : name;
    }
    case QAccessible::Description:
        return m_tabs->tabToolTip(m_index);
    case QAccessible::Accelerator: {
        const QChar key = mnemonicChar(m_tabs->tabText(m_index));
        return key.isNull() ? QString() : QStringLiteral("Alt+") + key.toUpper();
    }
    default:
        return {};
    }
}

void RibbonTabAccessible::setText(QAccessible::Text, const QString &)
{
}

QRect RibbonTabAccessible::rect() const
{
    if (!isValid())
        return {};
    const QRect local = m_tabs->tabRect(m_index);
    return QRect(m_tabs->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::Role RibbonTabAccessible::role() const
{
    return QAccessible::PageTab;
}

QAccessible::State RibbonTabAccessible::state() const
{
    QAccessible::State s;
    if (!isValid()) {
        s.invalid = true;
        return s;
    }
    if (QAccessibleInterface *bar = parent())
        s = bar->state();
    s.selectable = true;
    // The current page is the selected tab; keyboard focus stays with the bar itself.
    s.selected = m_index == m_tabs->currentIndex();
    s.focused = s.selected && m_tabs->hasFocus();
    s.disabled = s.disabled || !m_tabs->isTabEnabled(m_index);
    s.invisible = s.invisible || !m_tabs->isTabVisible(m_index);
    return s;
}

QStringList RibbonTabAccessible::actionNames() const
{
    return {pressAction()};
}

void RibbonTabAccessible::doAction(const QString &actionName)
{
    if (isValid() && actionName == pressAction() && m_tabs->isTabEnabled(m_index))
        m_tabs->setCurrentIndex(m_index);
}

QStringList RibbonTabAccessible::keyBindingsForAction(const QString &) const
{
    return {};
}

} // namespace Ribbon
