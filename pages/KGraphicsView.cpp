#include "KGraphicsView.h"

#include <QMouseEvent>

KGraphicsView::KGraphicsView(QWidget *parent) : QGraphicsView(parent)
{
}

void KGraphicsView::focusInEvent(QFocusEvent *event)
{
    // A thumbnail has nothing to edit, so scene focus handling is skipped on purpose.
    event->accept();
    emit focused();
}

void KGraphicsView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit mouseDoubleClicked();
    event->accept();
}

void KGraphicsView::mousePressEvent(QMouseEvent *event)
{
    QGraphicsView::mousePressEvent(event);
    // The thumbnail has nothing to press: the tile sees the press and may start a drag.
    event->ignore();
}

void KGraphicsView::mouseMoveEvent(QMouseEvent *event)
{
    QGraphicsView::mouseMoveEvent(event);
    event->ignore();
}
