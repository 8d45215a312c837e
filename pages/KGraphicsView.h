#pragma once

#include <QGraphicsView>

// The image part of a tile. It only reports focus and left double clicks, and passes presses
// and moves on, so that the tile around it (KSlabWidget) decides what they mean (a drag).
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
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
};
