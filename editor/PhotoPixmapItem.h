#pragma once

#include <QGraphicsPixmapItem>

// The picture of the page in the editor's scene. Its pixmap offset puts the image centre at the
// scene origin; zoom is its item scale. GUI thread only; owned by the scene it is added to.
class PhotoPixmapItem : public QGraphicsPixmapItem
{
public:
    enum
    {
        Type = UserType + 1
    };

    using QGraphicsPixmapItem::QGraphicsPixmapItem;

    int type() const override { return Type; }
};
