#include "AccessibleImageList.h"

#include "AccessibleSlab.h"
#include "ImageListWidget.h"
#include "KSlabWidget.h"

namespace {
QAccessibleInterface *createInterface(const QString &, QObject *object)
{
    if (auto *strip = qobject_cast<ImageListWidget *>(object))
        return new AccessibleImageList(strip);
    if (auto *tile = qobject_cast<KSlabWidget *>(object))
        return new AccessibleSlab(tile);
    return nullptr;
}
} // namespace

AccessibleImageList::AccessibleImageList(ImageListWidget *strip)
    : QAccessibleWidget(strip, QAccessible::List)
{
}

ImageListWidget *AccessibleImageList::strip() const
{
    return static_cast<ImageListWidget *>(widget());
}

int AccessibleImageList::childCount() const
{
    return strip()->slabCount();
}

QAccessibleInterface *AccessibleImageList::child(int index) const
{
    KSlabWidget *tile = strip()->slabAt(index);
    return tile ? QAccessible::queryAccessibleInterface(tile) : nullptr;
}

int AccessibleImageList::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child)
        return -1;
    return strip()->slabPosition(qobject_cast<const KSlabWidget *>(child->object()));
}

QAccessibleInterface *AccessibleImageList::childAt(int x, int y) const
{
    const QPoint point(x, y);
    const QWidget *viewport = strip()->viewport();
    if (!QRect(viewport->mapToGlobal(QPoint(0, 0)), viewport->size()).contains(point))
        return nullptr;
    for (int position = 0; position < strip()->slabCount(); ++position) {
        KSlabWidget *tile = strip()->slabAt(position);
        if (tile && QRect(tile->mapToGlobal(QPoint(0, 0)), tile->size()).contains(point))
            return QAccessible::queryAccessibleInterface(tile);
    }
    return nullptr;
}

void AccessibleImageList::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(createInterface);
        return true;
    }();
    Q_UNUSED(installed);
}
