#pragma once

#include <QGraphicsView>

// The scrolling view of the page: dragging with the mouse pans. It never scrolls by wheel:
// wheel events go on to the editor, which zooms. Assistive technology sees it as an image
// named after the page shown. GUI thread only; owned by the editor.
class PhotoGraphicsView : public QGraphicsView
{
    Q_OBJECT

public:
    explicit PhotoGraphicsView(QWidget *parent = nullptr);

protected:
    void wheelEvent(QWheelEvent *event) override;
};
