#pragma once

#include <QGraphicsScene>

class CropBoxItem;
class PhotoGraphicsView;

// The scene carrying the page picture on a light-grey ground. It knows its view and the
// current crop box (both told by the editor, neither owned: the view belongs to the editor,
// the box to the picture). GUI thread only; owned by the editor.
class PhotoGraphicsScene : public QGraphicsScene
{
    Q_OBJECT

public:
    explicit PhotoGraphicsScene(QObject *parent = nullptr);

    PhotoGraphicsView *view() const { return m_view; }
    void setView(PhotoGraphicsView *view) { m_view = view; }
    // nullptr when no page is shown.
    CropBoxItem *cropBox() const { return m_cropBox; }
    void setCropBox(CropBoxItem *box) { m_cropBox = box; }

private:
    PhotoGraphicsView *m_view = nullptr;
    CropBoxItem *m_cropBox = nullptr;
};
