#pragma once

#include <QGraphicsScene>

class CropBoxItem;
class PhotoGraphicsView;

// The scene carrying the page picture on a light-grey ground. It knows its view and the
// current crop box (both told by the editor, neither owned: the view belongs to the editor,
// the box to the picture), and lets the user drag the box's edges, corners or the whole box
// with the mouse, or move it with the arrow keys. The box stays inside the picture and never
// gets smaller than 50 x 50 image pixels. GUI thread only; owned by the editor.
class PhotoGraphicsScene : public QGraphicsScene
{
    Q_OBJECT

public:
    // What a point grabs of the crop box; also the drag under way.
    enum Handle
    {
        Outside = 0,
        LeftEdge = 1,
        RightEdge = 2,
        TopEdge = 3,
        BottomEdge = 4,
        TopLeftCorner = 5,
        BottomLeftCorner = 6,
        TopRightCorner = 7,
        BottomRightCorner = 8,
        Inside = 9
    };

    static constexpr double MinimumBoxSide = 50.0;

    explicit PhotoGraphicsScene(QObject *parent = nullptr);

    PhotoGraphicsView *view() const { return m_view; }
    void setView(PhotoGraphicsView *view) { m_view = view; }
    // nullptr when no page is shown.
    CropBoxItem *cropBox() const { return m_cropBox; }
    void setCropBox(CropBoxItem *box);

    // What scenePos grabs of the visible crop box. Corners reach 8 and edges 4 screen pixels
    // around the frame at any zoom; edges reach along their whole line. Outside without a
    // visible box.
    Handle handleAt(const QPointF &scenePos) const;

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    // Arrows move the box by one image pixel, ten with Shift; with Ctrl they move its
    // bottom-right corner instead.
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool boxShown() const;
    void showHandleCursor(Handle handle);
    void dragBox(const QPointF &scenePos);
    // The picture in the box's parent coordinates (image pixels from the image centre).
    QRectF pictureRect() const;

    PhotoGraphicsView *m_view = nullptr;
    CropBoxItem *m_cropBox = nullptr;
    Handle m_dragMode = Outside;
    // The last pointer position of a move, in the box's parent coordinates.
    QPointF m_pressPoint;
};
