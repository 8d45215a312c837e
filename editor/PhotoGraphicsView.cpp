#include "PhotoGraphicsView.h"

#include <QWheelEvent>

PhotoGraphicsView::PhotoGraphicsView(QWidget *parent) : QGraphicsView(parent)
{
    setAccessibleName(tr("Page view"));
    setDragMode(QGraphicsView::ScrollHandDrag);
    setRenderHints(QPainter::SmoothPixmapTransform);
    setMouseTracking(true);
}

void PhotoGraphicsView::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}
