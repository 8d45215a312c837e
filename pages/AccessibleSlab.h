#pragma once

#include <QAccessibleWidget>

class ImageListWidget;
class KSlabWidget;

// What assistive technology sees of a tile: one item of the strip's list, named after the
// page, checkable, selected while it is the current page. It has no children of its own:
// the caption, thumbnail and check box are all said by the item's name, state and actions.
//
// GUI thread only. Created and owned by Qt's accessibility cache; the tile is not owned.
class AccessibleSlab : public QAccessibleWidget
{
public:
    explicit AccessibleSlab(KSlabWidget *tile);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QAccessibleInterface *parent() const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

    // The strip the tile is shown in, or null for a tile on its own.
    static ImageListWidget *stripOf(const QWidget *tile);

private:
    KSlabWidget *tile() const;
};
