#pragma once

#include <QList>
#include <QMap>
#include <QPointer>
#include <QScrollArea>
#include <QUrl>

class FlowLayout;
class KSlabWidget;
class QFrame;
class QMimeData;
class QTimer;

// The thumbnail strip: a vertically scrolling panel of tiles in centred, wrapping rows. It
// keeps the position of every tile (0-based, the document order) and at most one current
// tile. It knows nothing of files; PageListWidget builds the page store on top of it.
//
// GUI thread only. Tiles added with addSlab() become children of the strip's scrolled
// container; the strip deletes them only when they are removed with deletion (removeSlab()
// with remove = true, or clearSlabs()). Pointers handed out stay owned by the strip.
// setCurrentSlab(), setCurrentIndex(), removeSlab() and clearSlabs() process pending events
// inside, so other user commands may run in the middle of them; they do so only when the
// positions are contiguous again.
//
// Drag and drop: a tile dragged (with every checked tile when it is checked itself) shows a
// line where it would land and scrolls the strip near its edges; the drop is only announced
// (slabsDropped), the owner moves the tiles. Files from other programs are announced the same
// way (filesDropped). A drop is a move only when it comes from this strip in this process.
//
// Keyboard: the arrow keys on a focused tile move to its neighbour (Up and Down by a row);
// Ctrl+Space toggles the tile's check mark (KSlabWidget). Assistive technology sees a list of
// "Page N" items (AccessibleImageList, AccessibleSlab).
class ImageListWidget : public QScrollArea
{
    Q_OBJECT

public:
    explicit ImageListWidget(QWidget *parent = nullptr);
    ~ImageListWidget() override;

    // Appends tile at the next position and takes it into the layout.
    void addSlab(KSlabWidget *tile);
    // Takes tile out of the strip, closing the gap; deletes it when remove is true.
    void removeSlab(KSlabWidget *tile, bool remove);
    // Removes and deletes the tiles, closing all gaps with one relayout.
    void takeSlabs(const QList<KSlabWidget *> &tiles);
    // Removes and deletes every tile.
    void clearSlabs();

    int slabCount() const;
    // The tile at position, or null.
    KSlabWidget *slabAt(int position) const;
    // Position of the current tile, or -1 when no tile is current.
    int currentSlabIndex() const;
    // The current tile, or null.
    KSlabWidget *currentSlab() const;
    // Position of tile, or -1 when it is not in the strip.
    int slabPosition(const KSlabWidget *tile) const;

    // Makes a freshly added tile current, gives it keyboard focus and scrolls to it.
    void setCurrentSlab(KSlabWidget *tile);
    // Makes the tile at position current and scrolls past it by hint tile heights (negative:
    // upwards), so a moved page stays in view in the direction it went. Keyboard focus stays.
    void setCurrentIndex(quint16 position, int hint);
    // Makes tile current, gives it keyboard focus and scrolls it into view (keyboard and
    // assistive technology).
    void activateSlab(KSlabWidget *tile);
    // The strip never gets narrower than one tile of this width beside its scroll bar.
    void setTileWidth(int width);
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

    // Turns the view of the tile at position; the image is not changed.
    void rotateSlabAt(int position, quint16 angle);
    // Moves every tile after the gap at position one place up.
    void closeGapAfterRemoval(int position);

    // The data of a drag of the tiles at positions, as a drag out of the strip carries it; the
    // caller owns it. The tiles are remembered for the drop, so pages added meanwhile do not
    // shift them.
    QMimeData *dragData(const QList<int> &positions);
    // What a drag starting on the tile at position takes: every checked tile when that one is
    // checked, else that one alone.
    QList<int> dragPositions(int position) const;
    // Our own format: which strip of which process, and the positions when the drag began.
    static QString pagesMimeType();

signals:
    // A tile that was not current became current; position is its position.
    void selected(int position);
    void mouseDoubleClicked(int position);
    void checked(int position, bool state);
    // Tiles were dropped at gap (0 .. count: before the tile at gap); positions are theirs
    // now, in document order.
    void slabsDropped(const QList<int> &positions, int gap);
    // Files from another program were dropped at gap, in the order given.
    void filesDropped(const QStringList &files, int gap);
    // Tiles were added or removed.
    void countChanged(int count);

public slots:
    // Reached through a tile's focused(): makes the sending tile current.
    void setFocusSlab();
    void sendDMouseClicked();
    void slabChecked(bool state);
    // Reached through a tile's arrowPressed(): moves to the neighbour in the key's direction.
    void stepFromSlab(int key);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // What a drag of the tiles at positions gives other programs; the strip knows no files.
    virtual QList<QUrl> urlsFor(const QList<int> &positions) const;

    // Takes tile out of the map and the layout (leaving a gap) and cuts the strip's links to
    // it; returns its position, or -1 when it is not one of ours. The caller owns the tile.
    int detachSlab(KSlabWidget *tile);
    // Position of the tile that sent the running signal, 0 when it is not one of ours.
    int senderPosition() const;
    // The current tile is the strip's one Tab stop.
    void makeCurrent(KSlabWidget *tile);
    // Keyboard tab order follows the positions.
    void rechainTabOrder();
    void scrollToSlab(KSlabWidget *tile, int hint, bool withMargin);
    // Tiles per row as laid out now; every tile when the layout has not placed them yet.
    int columnCount() const;

    // Position -> tile, the order of the document. The page store reorders it directly
    // together with the layout.
    QMap<int, KSlabWidget *> m_slabs;
    FlowLayout *m_layout = nullptr;
    QPointer<KSlabWidget> m_current;
    int m_tileWidth = 0;

private:
    // Reached through a tile's dragRequested().
    void startDrag();
    // The drag is ours to move (or files to take); the marker shows where it lands.
    bool followDrag(QDropEvent *event);
    bool isOwnDrag(const QMimeData *data) const;
    // The gap the point of the viewport falls into; -1 below the last row.
    int gapAt(const QPoint &point) const;
    int dropGap(const QPoint &point, bool ownDrag) const;
    void showMarker(int gap);
    void autoScroll();
    void endDrag();

    QList<QPointer<KSlabWidget>> m_dragged;
    QFrame *m_marker = nullptr;
    QTimer *m_scrollTimer = nullptr;
    int m_scrollStep = 0;
    QPoint m_dragPoint;
};
