#pragma once

#include <QGraphicsView>

// The scrolling view of the page: dragging with the mouse pans. It never scrolls by wheel:
// wheel events go on to the editor, which zooms. Assistive technology sees it as an image
// named after the page shown. Files dragged in from another program go on to the window,
// which loads them. GUI thread only; owned by the editor.
class PhotoGraphicsView : public QGraphicsView
{
    Q_OBJECT

public:
    explicit PhotoGraphicsView(QWidget *parent = nullptr);

protected:
    void wheelEvent(QWheelEvent *event) override;
};
