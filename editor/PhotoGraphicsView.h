#pragma once

#include <QGraphicsView>

// The scrolling view of the page: dragging with the mouse pans. It never scrolls by wheel:
// wheel events go on to the editor, which zooms. Assistive technology sees it as an image
// named after the page shown. Files dragged in from another program are announced
// (filesDropped), never opened here. GUI thread only; owned by the editor.
class PhotoGraphicsView : public QGraphicsView
{
    Q_OBJECT

public:
    explicit PhotoGraphicsView(QWidget *parent = nullptr);

signals:
    // Local files from another program were dropped on the view, in the order given.
    void filesDropped(const QStringList &files);

protected:
    void wheelEvent(QWheelEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};
