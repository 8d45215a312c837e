#include "ImageListWidget.h"

#include "FlowLayout.h"
#include "KSlabWidget.h"

#include <QCoreApplication>
#include <QVBoxLayout>

namespace {
// Extra room beyond the tile when scrolling to it, so the next row peeks out.
constexpr int kScrollMargin = 12;
} // namespace

ImageListWidget::ImageListWidget(QWidget *parent) : QScrollArea(parent)
{
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
    m_slabs.insert(int(m_slabs.size()), tile);
    m_layout->addWidget(tile);
    m_layout->update();
    rechainTabOrder();
}

void ImageListWidget::removeSlab(KSlabWidget *tile, bool remove)
{
    // A tile that is not ours must not take position 0 with it.
    const int position = m_slabs.key(tile, -1);
    if (!tile || position < 0)
        return;
    m_slabs.remove(position);

    tile->clearImage();
    tile->disconnect();

    delete m_layout->takeWidget(tile);
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
        const int position = m_slabs.key(tile, -1);
        if (!tile || position < 0)
            continue;
        m_slabs.remove(position);
        tile->clearImage();
        tile->disconnect();
        delete m_layout->takeWidget(tile);
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
    // The same steps as removeSlab() for each tile, but with one relayout at the end instead
    // of one per tile, which made clearing a long document take seconds.
    const QMap<int, KSlabWidget *> tiles = m_slabs;
    m_slabs.clear();
    for (KSlabWidget *tile : tiles) {
        tile->clearImage();
        tile->disconnect();
        delete m_layout->takeWidget(tile);
        delete tile;
    }
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
    tile->setFocus();
    m_current = tile;
    scrollToSlab(tile, 1, false);
}

void ImageListWidget::setCurrentIndex(quint16 position, int hint)
{
    if (position >= m_slabs.size())
        return;
    KSlabWidget *tile = *std::next(m_slabs.cbegin(), position);
    tile->focusIn();
    m_current = tile;
    scrollToSlab(tile, hint, true);
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
    if (m_current)
        m_current->setUnfocused();
    m_current = tile;
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

int ImageListWidget::senderPosition() const
{
    return m_slabs.key(qobject_cast<KSlabWidget *>(sender()), 0);
}

void ImageListWidget::rechainTabOrder()
{
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
