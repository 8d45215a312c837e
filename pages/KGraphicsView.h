#pragma once

#include <QGraphicsView>

// The image part of a tile. It only reports focus and left double clicks, so that the tile
// around it (KSlabWidget) decides what they mean.
//
// GUI thread only. Owned by its tile; the scene shown is owned by the tile as well.
class KGraphicsView : public QGraphicsView
{
    Q_OBJECT

public:
    explicit KGraphicsView(QWidget *parent = nullptr);

signals:
    void focused();
    void mouseDoubleClicked();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};
