#pragma once

#include <QGraphicsRectItem>

// The crop frame over the picture: a red dashed outline, a child of the picture, so its
// coordinates are image pixels measured from the image centre and it follows the zoom.
// Its position is the box centre and its rectangle is centred on (0, 0).
// GUI thread only; owned by its parent item.
class CropBoxItem : public QGraphicsRectItem
{
public:
    enum
    {
        Type = UserType + 2
    };

    // box: in the parent's coordinates.
    CropBoxItem(const QRectF &box, QGraphicsItem *parent);

    int type() const override { return Type; }

    // The box in the parent's coordinates.
    QRectF box() const;
    void setBox(const QRectF &box);
};
