#include "FlowLayout.h"

#include <QWidget>

FlowLayout::FlowLayout(int spacing)
{
    setSpacing(spacing);
}

FlowLayout::~FlowLayout()
{
    // takeAt() leaves gaps, so the usual "take item 0 until none" loop would stop early.
    qDeleteAll(m_items);
    m_items.clear();
}

void FlowLayout::addItem(QLayoutItem *item)
{
    m_items.insert(m_items.size(), item);
    update();
}

QLayoutItem *FlowLayout::itemAt(int index) const
{
    return m_items.value(index, nullptr);
}

QLayoutItem *FlowLayout::takeAt(int index)
{
    return m_items.take(index);
}

int FlowLayout::count() const
{
    return int(m_items.size());
}

QSize FlowLayout::sizeHint() const
{
    return minimumSize();
}

QSize FlowLayout::minimumSize() const
{
    QSize size;
    for (const QLayoutItem *item : m_items)
        size = size.expandedTo(item->minimumSize());
    const QMargins margins = contentsMargins();
    return size + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

Qt::Orientations FlowLayout::expandingDirections() const
{
    return {};
}

void FlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    doLayout(rect, true);
}

bool FlowLayout::hasHeightForWidth() const
{
    return true;
}

int FlowLayout::heightForWidth(int width) const
{
    return doLayout(QRect(0, 0, width, 0), false);
}

void FlowLayout::moveItemUp(int index)
{
    moveItem(index, index - 1);
}

void FlowLayout::moveItemDown(int index)
{
    moveItem(index, index + 1);
}

void FlowLayout::moveItemToFirst(int index)
{
    moveItem(index, 0);
}

void FlowLayout::moveItemToLast(int index)
{
    moveItem(index, count() - 1);
}

void FlowLayout::moveItem(int from, int to)
{
    // Only while the positions are contiguous: a gap left by takeAt() must be closed first,
    // and no position is ever made up.
    if (from == to || !m_items.contains(from) || !m_items.contains(to) ||
        m_items.lastKey() != count() - 1)
        return;
    QList<QLayoutItem *> items = m_items.values();
    items.move(from, to);
    for (int key = 0; key < items.size(); ++key)
        m_items.insert(key, items.at(key));
    update();
}

void FlowLayout::closeGap(int index)
{
    // Each later item moves up only into a free key, so a call without a gap loses nothing.
    const QList<int> keys = m_items.keys();
    for (int key : keys) {
        if (key < index || key == 0 || m_items.contains(key - 1))
            continue;
        m_items.insert(key - 1, m_items.take(key));
    }
    update();
}

void FlowLayout::closeGaps()
{
    const QList<QLayoutItem *> items = m_items.values();
    m_items.clear();
    for (int index = 0; index < items.size(); ++index)
        m_items.insert(index, items.at(index));
    update();
}

QLayoutItem *FlowLayout::itemForWidget(const QWidget *widget) const
{
    for (QLayoutItem *item : m_items) {
        if (item->widget() == widget)
            return item;
    }
    return nullptr;
}

QLayoutItem *FlowLayout::takeWidget(const QWidget *widget)
{
    for (auto it = m_items.cbegin(); it != m_items.cend(); ++it) {
        if (it.value()->widget() == widget)
            return takeAt(it.key());
    }
    return nullptr;
}

int FlowLayout::effectiveSpacing() const
{
    // spacing() resolves -1 through the parent layout or style; alone it stays -1.
    return qMax(0, spacing());
}

int FlowLayout::doLayout(const QRect &rect, bool place) const
{
    if (m_items.isEmpty())
        return 0;

    // All tiles share one width, so the first one sets the columns for every row.
    const int itemWidth = m_items.first()->sizeHint().width();
    const int space = effectiveSpacing();
    const int width = rect.width();

    int columns = width / (itemWidth + 2 * space);
    if (columns > count())
        columns = count();
    if (columns == 0)
        columns = 1;
    // Centres the rows; with a strip narrower than a tile this goes negative on purpose.
    const int offset = (width - columns * itemWidth) / 2;

    int x = rect.left() + offset;
    int y = rect.top();
    int lineHeight = 0;
    for (QLayoutItem *item : m_items) {
        const QSize hint = item->sizeHint();
        int nextX = x + itemWidth + space;
        if (x + itemWidth > rect.right() && lineHeight > 0) {
            x = rect.left() + offset;
            y = y + space + lineHeight;
            nextX = x + itemWidth + space;
            lineHeight = 0;
        }
        if (place)
            item->setGeometry(QRect(QPoint(x, y), hint));
        x = nextX;
        lineHeight = qMax(lineHeight, hint.height());
    }
    return y + lineHeight - rect.top();
}
