#include "PhotoGraphicsView.h"

#include <QAccessibleWidget>
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
    // Files dropped on the page go to the window; the scene would take the drag and drop it.
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
}

void PhotoGraphicsView::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}
