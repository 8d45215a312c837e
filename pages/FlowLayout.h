#pragma once

#include <QLayout>
#include <QMap>

// Lays tiles out in rows of equal columns that wrap to the available width, with each row
// centred, and keeps the tiles in document order by position.
//
// Every item is treated as wide as the first one, so the tiles of a strip (all of one size)
// line up in columns. Positions are map keys 0 .. count - 1; the order operations keep them
// contiguous, except takeAt(), which leaves a gap the owner closes with closeGap().
//
// GUI thread only. The layout owns its layout items (deleted with the layout); the widgets
// they wrap belong to the layout's parent widget.
class FlowLayout : public QLayout
{
public:
    // spacing -1 takes the spacing of the surrounding layout or style.
    explicit FlowLayout(int spacing = -1);
    ~FlowLayout() override;

    // The layout protocol; takeAt() does not renumber the keys after the one taken.
    void addItem(QLayoutItem *item) override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    Qt::Orientations expandingDirections() const override;
    void setGeometry(const QRect &rect) override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

    // Order operations for page moves; out-of-range positions change nothing.
    void moveItemUp(int index);
    void moveItemDown(int index);
    void moveItemToFirst(int index);
    void moveItemToLast(int index);
    void moveItem(int from, int to);
    // Closes the gap left at index by takeAt(): later items each move one position up.
    void closeGap(int index);
    // Closes every gap at once, keeping the order.
    void closeGaps();

    // The item wrapping widget, or null; the layout keeps owning it.
    QLayoutItem *itemForWidget(const QWidget *widget) const;
    // Takes out the item wrapping widget (leaving a gap); the caller owns the item.
    QLayoutItem *takeWidget(const QWidget *widget);

private:
    // Places the items inside rect when place is true; returns the height they need.
    int doLayout(const QRect &rect, bool place) const;
    int effectiveSpacing() const;

    QMap<int, QLayoutItem *> m_items;
};
