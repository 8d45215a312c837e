#include "PhotoGraphicsScene.h"

#include "CropBoxItem.h"
#include "PhotoGraphicsView.h"
#include "PhotoPixmapItem.h"

#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>

namespace {
// Reach of the corners and the edges around the frame, in screen pixels.
constexpr double CornerReach = 8.0;
constexpr double EdgeReach = 4.0;
constexpr double KeyStep = 1.0;
constexpr double ShiftKeyStep = 10.0;

using Handle = PhotoGraphicsScene::Handle;

bool movesLeft(Handle h)
{
    return h == Handle::LeftEdge || h == Handle::TopLeftCorner || h == Handle::BottomLeftCorner;
}

bool movesRight(Handle h)
{
    return h == Handle::RightEdge || h == Handle::TopRightCorner || h == Handle::BottomRightCorner;
}

bool movesTop(Handle h)
{
    return h == Handle::TopEdge || h == Handle::TopLeftCorner || h == Handle::TopRightCorner;
}

bool movesBottom(Handle h)
{
    return h == Handle::BottomEdge || h == Handle::BottomLeftCorner ||
           h == Handle::BottomRightCorner;
}

// Shifts box into picture without changing its size (as far as the picture allows).
QRectF keptInside(QRectF box, const QRectF &picture)
{
    if (box.right() > picture.right())
        box.moveRight(picture.right());
    if (box.left() < picture.left())
        box.moveLeft(picture.left());
    if (box.bottom() > picture.bottom())
        box.moveBottom(picture.bottom());
    if (box.top() < picture.top())
        box.moveTop(picture.top());
    return box.intersected(picture);
}

// The box after the given edges or corner went to point, all in the box's parent
// coordinates. An edge stops at the picture; a box squeezed below the minimum keeps the edge
// that did not move, so a drag past the opposite edge never turns it inside out.
QRectF resizedBox(const QRectF &before, Handle handle, const QPointF &point, const QRectF &picture)
{
    QRectF box = before;
    if (movesLeft(handle))
        box.setLeft(qMax(point.x(), picture.left()));
    if (movesRight(handle))
        box.setRight(qMin(point.x(), picture.right()));
    if (movesTop(handle))
        box.setTop(qMax(point.y(), picture.top()));
    if (movesBottom(handle))
        box.setBottom(qMin(point.y(), picture.bottom()));

    // A page narrower than the minimum can only be cut to its whole width.
    const double minWidth = qMin(PhotoGraphicsScene::MinimumBoxSide, picture.width());
    const double minHeight = qMin(PhotoGraphicsScene::MinimumBoxSide, picture.height());
    if (box.width() < minWidth) {
        if (box.left() == before.left())
            box.setWidth(minWidth);
        else
            box.setLeft(box.right() - minWidth);
    }
    if (box.height() < minHeight) {
        if (box.top() == before.top())
            box.setHeight(minHeight);
        else
            box.setTop(box.bottom() - minHeight);
    }
    return keptInside(box, picture);
}
} // namespace

PhotoGraphicsScene::PhotoGraphicsScene(QObject *parent) : QGraphicsScene(parent)
{
    setBackgroundBrush(QBrush(Qt::lightGray, Qt::SolidPattern));
}

void PhotoGraphicsScene::setCropBox(CropBoxItem *box)
{
    m_cropBox = box;
    m_dragMode = Outside;
}

bool PhotoGraphicsScene::boxShown() const
{
    return m_cropBox && m_cropBox->isVisible() && m_cropBox->parentItem();
}

PhotoGraphicsScene::Handle PhotoGraphicsScene::handleAt(const QPointF &p) const
{
    if (!boxShown())
        return Outside;
    // Scene units per screen pixel: the view itself is normally not scaled, zoom is the
    // picture's own scale.
    const double viewScale = m_view ? qAbs(m_view->transform().m11()) : 1.0;
    const double unit = viewScale > 0.0 ? 1.0 / viewScale : 1.0;
    const double corner = CornerReach * unit;
    const double edge = EdgeReach * unit;
    const QRectF r = m_cropBox->mapRectToScene(m_cropBox->rect());
    const auto near = [&](const QPointF &c) {
        return qAbs(c.x() - p.x()) <= corner && qAbs(c.y() - p.y()) <= corner;
    };
    if (near(r.topLeft()))
        return TopLeftCorner;
    if (near(r.bottomRight()))
        return BottomRightCorner;
    if (near(r.topRight()))
        return TopRightCorner;
    if (near(r.bottomLeft()))
        return BottomLeftCorner;
    if (qAbs(r.left() - p.x()) <= edge)
        return LeftEdge;
    if (qAbs(r.right() - p.x()) <= edge)
        return RightEdge;
    if (qAbs(r.top() - p.y()) <= edge)
        return TopEdge;
    if (qAbs(r.bottom() - p.y()) <= edge)
        return BottomEdge;
    return r.contains(p) ? Inside : Outside;
}

QRectF PhotoGraphicsScene::pictureRect() const
{
    QGraphicsItem *picture = m_cropBox->parentItem();
    if (auto *pixmap = qgraphicsitem_cast<PhotoPixmapItem *>(picture))
        return QRectF(pixmap->offset(), pixmap->pixmap().size());
    return picture->boundingRect();
}

void PhotoGraphicsScene::showHandleCursor(Handle handle)
{
    static const Qt::CursorShape shapes[] = {
        Qt::ArrowCursor,     Qt::SizeHorCursor,   Qt::SizeHorCursor,   Qt::SizeVerCursor,
        Qt::SizeVerCursor,   Qt::SizeFDiagCursor, Qt::SizeBDiagCursor, Qt::SizeBDiagCursor,
        Qt::SizeFDiagCursor, Qt::SizeAllCursor};
    // On the picture, so the shape shows wherever the pointer is over the page.
    QGraphicsItem *picture = m_cropBox->parentItem();
    if (handle == Outside)
        picture->unsetCursor();
    else
        picture->setCursor(shapes[handle]);
}

void PhotoGraphicsScene::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    if (!boxShown() || event->button() != Qt::LeftButton) {
        QGraphicsScene::mousePressEvent(event);
        return;
    }
    m_pressPoint = m_cropBox->parentItem()->mapFromScene(event->scenePos());
    m_dragMode = handleAt(event->scenePos());
    // A press on the box edits it; anywhere else the page is panned by hand.
    if (m_view)
        m_view->setDragMode(m_dragMode == Outside ? QGraphicsView::ScrollHandDrag
                                                  : QGraphicsView::NoDrag);
    showHandleCursor(m_dragMode);
    QGraphicsScene::mousePressEvent(event);
    if (m_dragMode != Outside)
        event->accept();
}

void PhotoGraphicsScene::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    if (!boxShown()) {
        QGraphicsScene::mouseMoveEvent(event);
        return;
    }
    if (event->buttons() & Qt::LeftButton) {
        if (m_dragMode != Outside) {
            dragBox(event->scenePos());
            event->accept();
            return;
        }
    } else if (event->buttons() == Qt::NoButton) {
        showHandleCursor(handleAt(event->scenePos()));
    }
    QGraphicsScene::mouseMoveEvent(event);
}

void PhotoGraphicsScene::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    // Also when the box went away during the drag, so panning always comes back.
    if (event->button() == Qt::LeftButton) {
        m_dragMode = Outside;
        if (m_view)
            m_view->setDragMode(QGraphicsView::ScrollHandDrag);
    }
    QGraphicsScene::mouseReleaseEvent(event);
}

void PhotoGraphicsScene::dragBox(const QPointF &scenePos)
{
    // Worked out in the picture's coordinates, image pixels at any zoom.
    const QPointF point = m_cropBox->parentItem()->mapFromScene(scenePos);
    const QRectF picture = pictureRect();
    const QRectF before = m_cropBox->box();
    if (m_dragMode != Inside) {
        m_cropBox->setBox(resizedBox(before, m_dragMode, point, picture));
        return;
    }
    m_cropBox->setBox(keptInside(before.translated(point - m_pressPoint), picture));
    // Past the picture the next move is measured from its edge, so the box does not lag
    // behind when the pointer comes back.
    m_pressPoint = QPointF(qBound(picture.left(), point.x(), picture.right()),
                           qBound(picture.top(), point.y(), picture.bottom()));
}

void PhotoGraphicsScene::keyPressEvent(QKeyEvent *event)
{
    QPointF step;
    switch (event->key()) {
    case Qt::Key_Left:
        step = QPointF(-1, 0);
        break;
    case Qt::Key_Right:
        step = QPointF(1, 0);
        break;
    case Qt::Key_Up:
        step = QPointF(0, -1);
        break;
    case Qt::Key_Down:
        step = QPointF(0, 1);
        break;
    default:
        break;
    }
    if (!boxShown() || step.isNull()) {
        QGraphicsScene::keyPressEvent(event);
        return;
    }
    step *= event->modifiers().testFlag(Qt::ShiftModifier) ? ShiftKeyStep : KeyStep;
    const QRectF picture = pictureRect();
    const QRectF before = m_cropBox->box();
    if (event->modifiers().testFlag(Qt::ControlModifier))
        m_cropBox->setBox(
            resizedBox(before, BottomRightCorner, before.bottomRight() + step, picture));
    else
        m_cropBox->setBox(keptInside(before.translated(step), picture));
    event->accept();
}
