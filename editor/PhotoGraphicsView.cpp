#include "PhotoGraphicsView.h"

#include "DroppedFiles.h"

#include <QAccessibleWidget>
#include <QDropEvent>
#include <QWheelEvent>

namespace {
// Assistive technology sees the page as an image, not as a scrolling area.
QAccessibleInterface *pageViewInterface(const QString &, QObject *object)
{
    if (auto *view = qobject_cast<PhotoGraphicsView *>(object))
        return new QAccessibleWidget(view, QAccessible::Graphic);
    return nullptr;
}
} // namespace

PhotoGraphicsView::PhotoGraphicsView(QWidget *parent) : QGraphicsView(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(pageViewInterface);
        return true;
    }();
    Q_UNUSED(installed);
    setAccessibleName(tr("Page view"));
    setDragMode(QGraphicsView::ScrollHandDrag);
    setRenderHints(QPainter::SmoothPixmapTransform);
    setMouseTracking(true);
}

void PhotoGraphicsView::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}

void PhotoGraphicsView::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void PhotoGraphicsView::dragMoveEvent(QDragMoveEvent *event)
{
    if (droppedFiles(event).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void PhotoGraphicsView::dropEvent(QDropEvent *event)
{
    const QStringList files = droppedFiles(event);
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit filesDropped(files);
}
