#include "ImageListWidget.h"

#include "AccessibleImageList.h"
#include "DroppedFiles.h"
#include "FlowLayout.h"
#include "KSlabWidget.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QDrag>
#include <QDropEvent>
#include <QFrame>
#include <QMimeData>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// Extra room beyond the tile when scrolling to it, so the next row peeks out.
constexpr int kScrollMargin = 12;
// A drag this close to the top or bottom edge scrolls the strip, by this much a tick.
constexpr int kDragScrollZone = 32;
constexpr int kDragScrollStep = 12;
constexpr int kDragScrollIntervalMs = 40;
constexpr int kMarkerWidth = 4;
constexpr int kDragPixmapWidth = 96;
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

    viewport()->setAcceptDrops(true);
    m_marker = new QFrame(container);
    m_marker->setStyleSheet(QStringLiteral("QFrame { background-color: palette(highlight); }"));
    m_marker->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_marker->hide();
    m_scrollTimer = new QTimer(this);
    m_scrollTimer->setInterval(kDragScrollIntervalMs);
    connect(m_scrollTimer, &QTimer::timeout, this, &ImageListWidget::autoScroll);
}

ImageListWidget::~ImageListWidget() = default;

void ImageListWidget::addSlab(KSlabWidget *tile)
{
    if (!tile)
        return;
    connect(tile, &KSlabWidget::focused, this, &ImageListWidget::setFocusSlab);
    connect(tile, &KSlabWidget::mouseDoubleClicked, this, &ImageListWidget::sendDMouseClicked);
    connect(tile, &KSlabWidget::arrowPressed, this, &ImageListWidget::stepFromSlab);
    connect(tile, &KSlabWidget::dragRequested, this, &ImageListWidget::startDrag);
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
    emit countChanged(slabCount());
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
    emit countChanged(slabCount());
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
    emit countChanged(slabCount());
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

QString ImageListWidget::pagesMimeType()
{
    return QStringLiteral("application/x-quillary-pages");
}

QMimeData *ImageListWidget::dragData(const QList<int> &positions)
{
    m_dragged.clear();
    QStringList numbers;
    for (int position : positions) {
        if (KSlabWidget *tile = slabAt(position)) {
            m_dragged.append(tile);
            numbers << QString::number(position);
        }
    }
    auto *data = new QMimeData;
    // Another window of the program may get this too: the process and the strip say whose.
    data->setData(pagesMimeType(), QStringLiteral("%1 %2\n%3")
                                       .arg(QCoreApplication::applicationPid())
                                       .arg(quintptr(this))
                                       .arg(numbers.join(QLatin1Char(',')))
                                       .toUtf8());
    data->setUrls(urlsFor(positions));
    return data;
}

QList<int> ImageListWidget::dragPositions(int position) const
{
    const KSlabWidget *tile = slabAt(position);
    if (!tile)
        return {};
    if (!tile->isChecked())
        return {position};
    QList<int> positions;
    for (int other = 0; other < slabCount(); ++other) {
        if (slabAt(other)->isChecked())
            positions << other;
    }
    return positions;
}

QList<QUrl> ImageListWidget::urlsFor(const QList<int> &) const
{
    return {};
}

void ImageListWidget::startDrag()
{
    auto *tile = qobject_cast<KSlabWidget *>(sender());
    const int position = slabPosition(tile);
    if (position < 0)
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(dragData(dragPositions(position)));
    const QPixmap picture = tile->grab();
    drag->setPixmap(
        picture.scaledToWidth(qMin(kDragPixmapWidth, picture.width()), Qt::SmoothTransformation));
    QPointer<ImageListWidget> guard(this);
    // Copy only: a file manager must never take the page file away from the document.
    drag->exec(Qt::CopyAction, Qt::CopyAction);
    if (!guard)
        return;
    m_dragged.clear();
    endDrag();
}

bool ImageListWidget::isOwnDrag(const QMimeData *data) const
{
    const QByteArray own = QStringLiteral("%1 %2\n")
                               .arg(QCoreApplication::applicationPid())
                               .arg(quintptr(this))
                               .toUtf8();
    return !m_dragged.isEmpty() && data->data(pagesMimeType()).startsWith(own);
}

int ImageListWidget::gapAt(const QPoint &point) const
{
    const QPoint at = widget()->mapFrom(viewport(), point);
    const bool single = columnCount() == 1;
    int gap = 0;
    int bottom = -1;
    for (const KSlabWidget *tile : m_slabs) {
        const QLayoutItem *item = m_layout->itemForWidget(tile);
        const QRect rect = item ? item->geometry() : tile->geometry();
        bottom = qMax(bottom, rect.bottom());
        // Tiles of the rows above, and those of its row left of the point, come before it; in
        // a single column the tiles are rows of their own, split at half their height.
        if (single ? rect.center().y() < at.y()
                   : rect.bottom() < at.y() || (rect.top() <= at.y() && rect.center().x() < at.x()))
            ++gap;
    }
    return at.y() > bottom ? -1 : gap;
}

int ImageListWidget::dropGap(const QPoint &point, bool ownDrag) const
{
    const int gap = gapAt(point);
    if (gap >= 0)
        return gap;
    // Below the tiles: moved pages go to the end, new ones after the current page.
    const int current = currentSlabIndex();
    return ownDrag || current < 0 ? slabCount() : current + 1;
}

void ImageListWidget::showMarker(int gap)
{
    const KSlabWidget *before = slabAt(gap - 1);
    const KSlabWidget *after = slabAt(gap);
    const QLayoutItem *afterItem = after ? m_layout->itemForWidget(after) : nullptr;
    const QLayoutItem *beforeItem = before ? m_layout->itemForWidget(before) : nullptr;
    if (!afterItem && !beforeItem) {
        m_marker->hide();
        return;
    }
    const QRect afterRect = afterItem ? afterItem->geometry() : QRect();
    const QRect beforeRect = beforeItem ? beforeItem->geometry() : QRect();
    if (columnCount() == 1) {
        // A single column: a line across, in the space between the two tiles.
        const int y = !afterItem    ? beforeRect.bottom() + 1
                      : !beforeItem ? afterRect.top() - kMarkerWidth
                                    : (beforeRect.bottom() + afterRect.top() - kMarkerWidth) / 2;
        const QRect rect = afterItem ? afterRect : beforeRect;
        m_marker->setGeometry(rect.left(), qMax(0, y), rect.width(), kMarkerWidth);
    } else {
        // Between two tiles of a row, else at the start of the row of the one after (or past
        // the last tile).
        QRect rect = afterRect;
        int x = afterRect.left() - kMarkerWidth;
        if (!afterItem) {
            rect = beforeRect;
            x = beforeRect.right() + 1;
        } else if (beforeItem && beforeRect.top() == afterRect.top()) {
            x = (beforeRect.right() + afterRect.left() - kMarkerWidth) / 2;
        }
        m_marker->setGeometry(qMax(0, x), rect.top(), kMarkerWidth, rect.height());
    }
    m_marker->raise();
    m_marker->show();
}

bool ImageListWidget::followDrag(QDropEvent *event)
{
    const bool own = isOwnDrag(event->mimeData());
    if (!own && droppedFiles(event).isEmpty()) {
        endDrag();
        event->ignore();
        return false;
    }
    m_dragPoint = event->position().toPoint();
    showMarker(dropGap(m_dragPoint, own));
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

void ImageListWidget::dragEnterEvent(QDragEnterEvent *event)
{
    followDrag(event);
}

void ImageListWidget::dragMoveEvent(QDragMoveEvent *event)
{
    if (!followDrag(event))
        return;
    const int y = m_dragPoint.y();
    m_scrollStep = y < kDragScrollZone                          ? -kDragScrollStep
                   : y > viewport()->height() - kDragScrollZone ? kDragScrollStep
                                                                : 0;
    if (m_scrollStep == 0)
        m_scrollTimer->stop();
    else if (!m_scrollTimer->isActive())
        m_scrollTimer->start();
}

void ImageListWidget::dragLeaveEvent(QDragLeaveEvent *event)
{
    endDrag();
    event->accept();
}

void ImageListWidget::dropEvent(QDropEvent *event)
{
    const bool own = isOwnDrag(event->mimeData());
    const int gap = dropGap(event->position().toPoint(), own);
    const QStringList files = own ? QStringList() : droppedFiles(event);
    endDrag();
    if (!own && files.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (!own) {
        emit filesDropped(files, gap);
        return;
    }
    QList<int> positions;
    for (const QPointer<KSlabWidget> &tile : std::as_const(m_dragged)) {
        const int position = slabPosition(tile);
        if (position >= 0)
            positions << position;
    }
    m_dragged.clear();
    std::sort(positions.begin(), positions.end());
    if (!positions.isEmpty())
        emit slabsDropped(positions, gap);
}

void ImageListWidget::autoScroll()
{
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(bar->value() + m_scrollStep);
    if (m_marker->isVisible())
        showMarker(dropGap(m_dragPoint, !m_dragged.isEmpty()));
}

void ImageListWidget::endDrag()
{
    m_scrollTimer->stop();
    m_marker->hide();
}
