#include "CropBoxItem.h"

#include <QPen>

CropBoxItem::CropBoxItem(const QRectF &box, QGraphicsItem *parent) : QGraphicsRectItem(parent)
{
    // Cosmetic, so the frame stays 3 screen pixels wide at any zoom.
    QPen pen(QBrush(Qt::red), 3.0, Qt::DashLine, Qt::SquareCap, Qt::BevelJoin);
    pen.setCosmetic(true);
    setPen(pen);
    setBrush(Qt::NoBrush);
    setBox(box);
}

QRectF CropBoxItem::box() const
{
    return rect().translated(pos());
}

void CropBoxItem::setBox(const QRectF &box)
{
    setPos(box.center());
    setRect(-box.width() * 0.5, -box.height() * 0.5, box.width(), box.height());
}
