#pragma once

#include <QRectF>
#include <QWidget>

class CropBoxItem;
class PhotoGraphicsScene;
class PhotoGraphicsView;
class PhotoPixmapItem;
class QImage;

// The look at the scanner's glass before a scan: a quick picture of the whole glass with the
// crop frame (dragged with the mouse or moved with the arrow keys, as when cropping a page)
// around the part to scan, and "Scan" / "Cancel". Return scans, Escape cancels.
// GUI thread only.
class ScanAreaView : public QWidget
{
    Q_OBJECT

public:
    explicit ScanAreaView(QWidget *parent = nullptr);

    // glass: the whole glass, with its resolution set (else a pixel counts as a millimetre). area: the frame in millimetres from
    // the glass's top left corner; the whole glass when empty or not on it.
    void showGlass(const QImage &glass, const QRectF &area);
    // The frame in millimetres from the glass's top left corner; empty when it takes in the
    // whole glass.
    QRectF area() const;
    void setArea(const QRectF &millimetres);
    PhotoGraphicsView *view() const { return m_view; }

signals:
    void scanRequested();
    void cancelled();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void fitGlass();

    PhotoGraphicsView *m_view;
    PhotoGraphicsScene *m_scene;
    PhotoPixmapItem *m_picture = nullptr;
    CropBoxItem *m_frame = nullptr;
    QPointF m_pixelsPerMm{1.0, 1.0};
};
