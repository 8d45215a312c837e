#include "ImageListWidget.h"

#include "AccessibleImageList.h"
#include "FlowLayout.h"
#include "KSlabWidget.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {
// Extra room beyond the tile when scrolling to it, so the next row peeks out.
constexpr int kScrollMargin = 12;
} // namespace

ImageListWidget::ImageListWidget(QWidget *parent) : QScrollArea(parent)
{
    AccessibleImageList::install();
    setAccessibleName(tr("Pages"));
    setStyleSheet(QStringLiteral("ImageListWidget {border: none;}"));
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);

    auto *container = new QWidget;
    container->setAutoFillBackground(false);
    auto *box = new QVBoxLayout(container);
    box->setContentsMargins(6, 6, 6, 6);
    m_layout = new FlowLayout(-1);
    box->addLayout(m_layout, 0);

    // The container follows the viewport's width, so the rows wrap and only vertical
    // scrolling remains.
    setWidgetResizable(true);
    setWidget(container);
}

ImageListWidget::~ImageListWidget() = default;

void ImageListWidget::addSlab(KSlabWidget *tile)
{
    if (!tile)
        return;
    connect(tile, &KSlabWidget::focused, this, &ImageListWidget::setFocusSlab);
    connect(tile, &KSlabWidget::mouseDoubleClicked, this, &ImageListWidget::sendDMouseClicked);
    connect(tile, &KSlabWidget::arrowPressed, this, &ImageListWidget::stepFromSlab);
    KSlabWidget *last = m_slabs.isEmpty() ? nullptr : m_slabs.last();
    m_slabs.insert(int(m_slabs.size()), tile);
    // Only one tile is a Tab stop, so Tab passes the strip in one step; arrows move inside.
    tile->setFocusPolicy(m_current || last ? Qt::ClickFocus : Qt::StrongFocus);
    m_layout->addWidget(tile);
    m_layout->update();
    // The tiles before keep their order: only the new one joins the chain.
    if (last)
        QWidget::setTabOrder(last, tile);
    QAccessibleEvent created(tile, QAccessible::ObjectCreated);
    QAccessible::updateAccessibility(&created);
}

int ImageListWidget::detachSlab(KSlabWidget *tile)
{
    // A tile that is not ours must not take position 0 with it.
    const int position = m_slabs.key(tile, -1);
    if (!tile || position < 0)
        return -1;
    m_slabs.remove(position);
    tile->clearImage();
    // Only the strip's own connections: Qt's accessibility cache waits for the tile's
    // destroyed() to drop its interface, which would otherwise outlive the tile.
    tile->disconnect(this);
    delete m_layout->takeWidget(tile);
    return position;
}

void ImageListWidget::removeSlab(KSlabWidget *tile, bool remove)
{
    const int position = detachSlab(tile);
    if (position < 0)
        return;
    if (remove) {
        m_layout->removeWidget(tile);
        delete tile;
    }
    // Only once the gap is closed: a command run by these events must find every position.
    closeGapAfterRemoval(position);
    QCoreApplication::processEvents();
}

void ImageListWidget::takeSlabs(const QList<KSlabWidget *> &tiles)
{
    for (KSlabWidget *tile : tiles) {
        if (detachSlab(tile) >= 0)
            delete tile;
    }
    const QList<KSlabWidget *> kept = m_slabs.values();
    m_slabs.clear();
    for (int position = 0; position < kept.size(); ++position)
        m_slabs.insert(position, kept.at(position));
    m_layout->closeGaps();
    rechainTabOrder();
}

void ImageListWidget::clearSlabs()
{
    // One relayout at the end instead of one per tile, which made clearing a long document
    // take seconds.
    takeSlabs(m_slabs.values());
    m_layout->update();
    QCoreApplication::processEvents();
}

int ImageListWidget::slabCount() const
{
    return int(m_slabs.size());
}

KSlabWidget *ImageListWidget::slabAt(int position) const
{
    return m_slabs.value(position, nullptr);
}

KSlabWidget *ImageListWidget::currentSlab() const
{
    return m_current.data();
}

int ImageListWidget::slabPosition(const KSlabWidget *tile) const
{
    if (!tile)
        return -1;
    return m_slabs.key(const_cast<KSlabWidget *>(tile), -1);
}

int ImageListWidget::currentSlabIndex() const
{
    if (!m_current || m_slabs.isEmpty())
        return -1;
    return m_slabs.key(m_current.data(), -1);
}

void ImageListWidget::setCurrentSlab(KSlabWidget *tile)
{
    if (!tile)
        return;
    for (KSlabWidget *other : std::as_const(m_slabs))
        other->setUnfocused();
    tile->focusIn();
    makeCurrent(tile);
    tile->setFocus();
    scrollToSlab(tile, 1, false);
}

void ImageListWidget::setCurrentIndex(quint16 position, int hint)
{
    if (position >= m_slabs.size())
        return;
    KSlabWidget *tile = *std::next(m_slabs.cbegin(), position);
    tile->focusIn();
    makeCurrent(tile);
    scrollToSlab(tile, hint, true);
}

void ImageListWidget::activateSlab(KSlabWidget *tile)
{
    const int position = slabPosition(tile);
    if (position < 0)
        return;
    QPointer<KSlabWidget> guard(tile);
    // Scroll past the tile in the direction of travel, as the page moves do.
    setCurrentIndex(quint16(position), position >= currentSlabIndex() ? 1 : -1);
    if (guard)
        guard->setFocus(Qt::OtherFocusReason);
}

void ImageListWidget::setTileWidth(int width)
{
    m_tileWidth = width;
    updateGeometry();
}

QSize ImageListWidget::minimumSizeHint() const
{
    // A tile cut off at the edge hides part of its page and its check mark's row.
    const QMargins margins = widget()->layout()->contentsMargins();
    const int width = m_tileWidth + margins.left() + margins.right() +
                      verticalScrollBar()->sizeHint().width() + 2 * frameWidth();
    return QScrollArea::minimumSizeHint().expandedTo(QSize(width, 0));
}

QSize ImageListWidget::sizeHint() const
{
    return QScrollArea::sizeHint().expandedTo(minimumSizeHint());
}

void ImageListWidget::rotateSlabAt(int position, quint16 angle)
{
    if (KSlabWidget *tile = slabAt(position))
        tile->setRotation(angle);
}

void ImageListWidget::closeGapAfterRemoval(int position)
{
    // Only into free positions, so a call without a gap loses no tile.
    const QList<int> keys = m_slabs.keys();
    for (int key : keys) {
        if (key < position || key == 0 || m_slabs.contains(key - 1))
            continue;
        m_slabs.insert(key - 1, m_slabs.take(key));
    }
    rechainTabOrder();
    m_layout->closeGap(position);
}

void ImageListWidget::setFocusSlab()
{
    auto *tile = qobject_cast<KSlabWidget *>(sender());
    if (!tile)
        return;
    if (m_current && m_current == tile)
        return;
    QPointer<KSlabWidget> previous = m_current;
    if (previous)
        previous->setUnfocused();
    makeCurrent(tile);
    if (QAccessible::isActive()) {
        QAccessible::State changed;
        changed.selected = true;
        if (previous) {
            QAccessibleStateChangeEvent unselected(previous.data(), changed);
            QAccessible::updateAccessibility(&unselected);
        }
        QAccessibleStateChangeEvent nowSelected(tile, changed);
        QAccessible::updateAccessibility(&nowSelected);
        QAccessibleEvent selection(tile, QAccessible::Selection);
        QAccessible::updateAccessibility(&selection);
    }
    emit selected(senderPosition());
}

void ImageListWidget::sendDMouseClicked()
{
    const int position = senderPosition();
    if (position != -1)
        emit mouseDoubleClicked(position);
}

void ImageListWidget::slabChecked(bool state)
{
    emit checked(senderPosition(), state);
}

void ImageListWidget::stepFromSlab(int key)
{
    const int position = slabPosition(qobject_cast<KSlabWidget *>(sender()));
    if (position < 0)
        return;
    const int count = slabCount();
    const int columns = columnCount();
    int target = -1;
    switch (key) {
    case Qt::Key_Left:
        target = position - 1;
        break;
    case Qt::Key_Right:
        target = position + 1;
        break;
    case Qt::Key_Up:
        target = position - columns;
        break;
    case Qt::Key_Down:
        // From a full row above a shorter last row, Down lands on the last tile.
        target =
            position / columns < (count - 1) / columns ? qMin(position + columns, count - 1) : -1;
        break;
    default:
        break;
    }
    if (target >= 0 && target < count)
        activateSlab(slabAt(target));
}

int ImageListWidget::columnCount() const
{
    const KSlabWidget *first = slabAt(0);
    if (!first)
        return 1;
    const QLayoutItem *firstItem = m_layout->itemForWidget(first);
    const int top = firstItem ? firstItem->geometry().top() : 0;
    int columns = 0;
    for (const KSlabWidget *tile : m_slabs) {
        const QLayoutItem *item = m_layout->itemForWidget(tile);
        if (item && item->geometry().top() != top)
            break;
        ++columns;
    }
    return qMax(columns, 1);
}

int ImageListWidget::senderPosition() const
{
    return m_slabs.key(qobject_cast<KSlabWidget *>(sender()), 0);
}

void ImageListWidget::makeCurrent(KSlabWidget *tile)
{
    if (m_current && m_current != tile) {
        m_current->setFocusPolicy(Qt::ClickFocus);
    } else if (!m_current) {
        for (KSlabWidget *other : std::as_const(m_slabs))
            other->setFocusPolicy(Qt::ClickFocus);
    }
    m_current = tile;
    tile->setFocusPolicy(Qt::StrongFocus);
}

void ImageListWidget::rechainTabOrder()
{
    // The Tab stop went with a removed current tile: the first tile takes it until a page is
    // made current.
    if (!m_current && !m_slabs.isEmpty())
        m_slabs.first()->setFocusPolicy(Qt::StrongFocus);
    KSlabWidget *previous = nullptr;
    for (KSlabWidget *tile : std::as_const(m_slabs)) {
        if (previous)
            QWidget::setTabOrder(previous, tile);
        previous = tile;
    }
}

void ImageListWidget::scrollToSlab(KSlabWidget *tile, int hint, bool withMargin)
{
    QPointer<KSlabWidget> guard(tile);
    const QLayoutItem *item = m_layout->itemForWidget(tile);
    const QRect rect = item ? item->geometry() : tile->geometry();
    QCoreApplication::processEvents();
    // Events may have removed the tile meanwhile; then there is nothing to show.
    if (!guard)
        return;
    int y = rect.top() + rect.height() * hint;
    if (withMargin)
        y += hint >= 0 ? kScrollMargin : -kScrollMargin;
    ensureVisible(rect.left(), y, 0, 0);
}
