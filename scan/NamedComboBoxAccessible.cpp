#include "NamedComboBoxAccessible.h"

#include "NamedComboBox.h"

#include <QAbstractItemView>

NamedComboBoxAccessible::NamedComboBoxAccessible(QComboBox *box)
    : QAccessibleWidget(box, QAccessible::ComboBox)
{
}

QAccessibleInterface *NamedComboBoxAccessible::factory(const QString &className, QObject *object)
{
    if (className == QLatin1String(NamedComboBox::staticMetaObject.className())) {
        if (auto *box = qobject_cast<NamedComboBox *>(object))
            return new NamedComboBoxAccessible(box);
    }
    return nullptr;
}

QComboBox *NamedComboBoxAccessible::box() const
{
    return static_cast<QComboBox *>(widget());
}

int NamedComboBoxAccessible::childCount() const
{
    return box()->view() ? 1 : 0;
}

QAccessibleInterface *NamedComboBoxAccessible::child(int index) const
{
    return index == 0 && box()->view() ? QAccessible::queryAccessibleInterface(box()->view())
                                       : nullptr;
}

int NamedComboBoxAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    return child && child == this->child(0) ? 0 : -1;
}

QString NamedComboBoxAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return box()->currentText();
    // Name: the accessible name, else the buddy label's text (QAccessibleWidget looks it up).
    return QAccessibleWidget::text(t);
}

QAccessible::State NamedComboBoxAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    const bool open = box()->view() && box()->view()->isVisible();
    s.expandable = true;
    s.expanded = open;
    s.collapsed = !open;
    s.editable = box()->isEditable();
    return s;
}

QStringList NamedComboBoxAccessible::actionNames() const
{
    return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
}

void NamedComboBoxAccessible::doAction(const QString &actionName)
{
    if (actionName == showMenuAction() || actionName == pressAction()) {
        if (box()->view() && box()->view()->isVisible())
            box()->hidePopup();
        else
            box()->showPopup();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}
