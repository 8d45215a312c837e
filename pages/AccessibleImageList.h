#pragma once

#include <QAccessibleWidget>

class ImageListWidget;

// What assistive technology sees of the thumbnail strip: a list with one item per tile, in
// page order (see AccessibleSlab). The scroll bars and the scrolled container are left out,
// so the list's children are exactly the pages.
//
// GUI thread only. Created and owned by Qt's accessibility cache; the strip is not owned.
class AccessibleImageList : public QAccessibleWidget
{
public:
    explicit AccessibleImageList(ImageListWidget *strip);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

    // Makes Qt build these interfaces for strips and tiles; safe to call any number of times,
    // but only before the first strip or tile is asked for its interface.
    static void install();

private:
    ImageListWidget *strip() const;
};
