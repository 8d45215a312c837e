#include "AccessibleSlab.h"

#include "ImageListWidget.h"
#include "KSlabWidget.h"

#include <QKeySequence>

AccessibleSlab::AccessibleSlab(KSlabWidget *tile) : QAccessibleWidget(tile, QAccessible::ListItem)
{
}

KSlabWidget *AccessibleSlab::tile() const
{
    return static_cast<KSlabWidget *>(widget());
}

ImageListWidget *AccessibleSlab::stripOf(const QWidget *tile)
{
    // The tile sits in the scroll area's container, inside its viewport.
    for (QWidget *up = tile ? tile->parentWidget() : nullptr; up; up = up->parentWidget()) {
        if (auto *strip = qobject_cast<ImageListWidget *>(up))
            return strip;
    }
    return nullptr;
}

QString AccessibleSlab::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name)
        return tile()->title();
    return QAccessibleWidget::text(t);
}

QAccessible::State AccessibleSlab::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.selectable = true;
    s.checkable = tile()->isCheckable();
    s.checked = tile()->isChecked();
    if (const ImageListWidget *strip = stripOf(tile()))
        s.selected = strip->currentSlab() == tile();
    return s;
}

QAccessibleInterface *AccessibleSlab::parent() const
{
    if (ImageListWidget *strip = stripOf(tile()))
        return QAccessible::queryAccessibleInterface(strip);
    return QAccessibleWidget::parent();
}

int AccessibleSlab::childCount() const
{
    return 0;
}

QAccessibleInterface *AccessibleSlab::child(int) const
{
    return nullptr;
}

int AccessibleSlab::indexOfChild(const QAccessibleInterface *) const
{
    return -1;
}

QAccessibleInterface *AccessibleSlab::childAt(int, int) const
{
    return nullptr;
}

QStringList AccessibleSlab::actionNames() const
{
    QStringList names{pressAction(), setFocusAction()};
    if (tile()->isCheckable())
        names.append(toggleAction());
    return names;
}

void AccessibleSlab::doAction(const QString &actionName)
{
    KSlabWidget *slab = tile();
    if (actionName == toggleAction()) {
        if (slab->isCheckable())
            slab->setChecked(!slab->isChecked());
    } else if (actionName == pressAction() || actionName == setFocusAction()) {
        if (ImageListWidget *strip = stripOf(slab))
            strip->activateSlab(slab);
        else
            slab->focusIn();
    }
}

QStringList AccessibleSlab::keyBindingsForAction(const QString &actionName) const
{
    if (actionName == toggleAction())
        return {QKeySequence(Qt::CTRL | Qt::Key_Space).toString(QKeySequence::NativeText)};
    return {};
}
