#include "PageListWidget.h"

#include "FlowLayout.h"
#include "KSlabWidget.h"
#include "ToneCurve.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageReader>
#include <QMenu>

namespace {
// Turns of the page image, in degrees.
constexpr quint16 kTurnLeft = 270;
constexpr quint16 kTurnRight = 90;
constexpr quint16 kHalfTurn = 180;

WriteResult done()
{
    return {true, QString()};
}
} // namespace

PageListWidget::PageListWidget(QWidget *parent, const QString &workFolder)
    : ImageListWidget(parent), m_folder(workFolder)
{
    setAccessibleName(tr("Pages"));
    connect(this, &ImageListWidget::selected, this, qOverload<int>(&PageListWidget::pageSelected));
}

PageListWidget::~PageListWidget() = default;

WriteResult PageListWidget::addPage(const QImage &image, bool asTiff)
{
    m_nextNumber = count() + 1;
    PageFolder::Files files;
    QImage thumbnail;
    const WriteResult result =
        m_folder.writePage(image, asTiff, m_nextNumber, m_thumbBox, &files, &thumbnail);
    if (!result)
        return result;

    auto *tile = new KSlabWidget(m_thumbBox.width(), m_thumbBox.height(),
                                 tr("Page %1").arg(m_nextNumber), this, true);
    addSlab(tile);
    tile->setContextMenu(m_pageMenu);
    tile->setImage(thumbnail);
    m_files.insert(tile, files);

    QPointer<KSlabWidget> guard(tile);
    QCoreApplication::processEvents();
    // A command run by those events may already have removed the page again.
    if (guard)
        setCurrentSlab(tile);
    return result;
}

void PageListWidget::setCurrentPage(int index)
{
    if (index < 0 || index >= count())
        return;
    setCurrentIndex(quint16(index), 1);
    if (KSlabWidget *tile = slabAt(index))
        emit pageSelected(m_files.value(tile).image);
}

int PageListWidget::currentIndex() const
{
    return currentSlabIndex();
}

int PageListWidget::count() const
{
    return slabCount();
}

bool PageListWidget::isChecked(int index) const
{
    const KSlabWidget *tile = slabAt(index);
    return tile && tile->isChecked();
}

QStringList PageListWidget::pagePaths() const
{
    QStringList paths;
    for (KSlabWidget *tile : m_slabs)
        paths.append(m_files.value(tile).image);
    return paths;
}

QStringList PageListWidget::thumbnailPaths() const
{
    QStringList paths;
    for (KSlabWidget *tile : m_slabs)
        paths.append(m_files.value(tile).thumbnail);
    return paths;
}

QString PageListWidget::workFolder() const
{
    return m_folder.workFolder();
}

QString PageListWidget::currentFolder() const
{
    return m_folder.currentFolder();
}

QString PageListWidget::configFolder() const
{
    return m_folder.configFolder();
}

WriteResult PageListWidget::removePage(int index)
{
    if (index < 0 || index >= count())
        return done();

    KSlabWidget *tile = slabAt(index);
    const PageFolder::Files removed = m_files.take(tile);
    removeSlab(tile, true);
    const WriteResult deleted = PageFolder::removeFiles(removed);

    for (int position = index; position < count(); ++position)
        retitle(position);
    QList<PageFolder::Files> pages;
    for (KSlabWidget *page : std::as_const(m_slabs))
        pages.append(m_files.value(page));
    const WriteResult renamed = m_folder.renumber(pages);
    // Also after a failed rename: the records follow the files to where they really are.
    int position = 0;
    for (KSlabWidget *page : std::as_const(m_slabs))
        m_files.insert(page, pages.value(position++));

    if (count() > 0)
        setCurrentIndex(quint16(qMin(index, count() - 1)), 1);
    return deleted ? renamed : deleted;
}

WriteResult PageListWidget::removeCurrentPage()
{
    return removePage(currentIndex());
}

WriteResult PageListWidget::clear()
{
    const WriteResult result = m_folder.clear();
    clearSlabs();
    m_files.clear();
    m_nextNumber = 0;
    return result;
}

void PageListWidget::moveUp()
{
    const int current = currentIndex();
    if (current < 1 || current >= count())
        return;
    std::swap(m_slabs[current - 1], m_slabs[current]);
    m_layout->moveItemUp(current);
    retitle(current - 1);
    retitle(current);
    rechainTabOrder();
    setCurrentIndex(quint16(current - 1), -1);
}

void PageListWidget::moveDown()
{
    const int current = currentIndex();
    if (current < 0 || current >= count() - 1)
        return;
    std::swap(m_slabs[current], m_slabs[current + 1]);
    m_layout->moveItemDown(current);
    retitle(current);
    retitle(current + 1);
    rechainTabOrder();
    setCurrentIndex(quint16(current + 1), 2);
}

void PageListWidget::moveTop()
{
    const int current = currentIndex();
    const int n = count();
    if (current < 1 || current >= n)
        return;
    KSlabWidget *moving = m_slabs.value(current);
    for (int position = current; position > 0; --position)
        m_slabs[position] = m_slabs.value(position - 1);
    m_slabs[0] = moving;
    m_layout->moveItemToFirst(current);
    for (int position = 0; position <= current; ++position)
        retitle(position);
    rechainTabOrder();
    setCurrentIndex(0, -n);
}

void PageListWidget::moveBottom()
{
    const int current = currentIndex();
    const int n = count();
    if (current < 0 || current >= n - 1)
        return;
    KSlabWidget *moving = m_slabs.value(current);
    for (int position = current; position < n - 1; ++position)
        m_slabs[position] = m_slabs.value(position + 1);
    m_slabs[n - 1] = moving;
    m_layout->moveItemToLast(current);
    for (int position = current; position < n; ++position)
        retitle(position);
    rechainTabOrder();
    setCurrentIndex(quint16(n - 1), n + 1);
}

WriteResult PageListWidget::rotateThumbLeft()
{
    return rotateThumb(kTurnLeft);
}

WriteResult PageListWidget::rotateThumbRight()
{
    return rotateThumb(kTurnRight);
}

WriteResult PageListWidget::rotateThumbFlip()
{
    return rotateThumb(kHalfTurn);
}

WriteResult PageListWidget::updateThumbnail(const QImage &image)
{
    KSlabWidget *tile = currentTile();
    if (!tile)
        return done();
    const QString path = m_files.value(tile).thumbnail;
    if (path.isEmpty())
        return done();
    if (image.isNull())
        return {false, tr("The page has no picture.")};
    const QImage thumbnail = PageFolder::makeThumbnail(image, m_thumbBox);
    tile->clearImage();
    tile->setImage(thumbnail);
    return PageFolder::writeThumbnail(thumbnail, path);
}

void PageListWidget::resizeThumbs(const QSize &size)
{
    m_thumbBox = size;
    for (KSlabWidget *tile : std::as_const(m_slabs))
        tile->setThumbSize(size.width(), size.height());
}

void PageListWidget::setPageMenu(QMenu *menu)
{
    m_pageMenu = menu;
}

void PageListWidget::pageSelected(int index)
{
    if (KSlabWidget *tile = slabAt(index))
        emit pageSelected(m_files.value(tile).image);
}

WriteResult PageListWidget::setContrast(int brightness, int contrast)
{
    KSlabWidget *tile = currentTile();
    if (!tile)
        return done();
    const PageFolder::Files files = m_files.value(tile);
    // Black-and-white pages have no levels to adjust.
    if (QFileInfo(files.image).suffix().compare(QLatin1String("tiff"), Qt::CaseInsensitive) == 0)
        return done();

    QImageReader reader(files.thumbnail);
    QImage thumbnail;
    if (!reader.read(&thumbnail)) {
        return {false, tr("Can't read %1: %2")
                           .arg(QFileInfo(files.thumbnail).fileName(), reader.errorString())};
    }
    if (!applyToneCurve(thumbnail, brightness, contrast)) {
        thumbnail = thumbnail.convertToFormat(QImage::Format_RGB32);
        applyToneCurve(thumbnail, brightness, contrast);
    }
    tile->clearImage();
    tile->setImage(thumbnail);
    return PageFolder::writeThumbnail(thumbnail, files.thumbnail);
}

WriteResult PageListWidget::rotateThumb(quint16 angle)
{
    const int current = currentIndex();
    KSlabWidget *tile = slabAt(current);
    if (!tile)
        return done();
    rotateSlabAt(current, angle);
    return PageFolder::rotateThumbnail(m_files.value(tile).thumbnail, angle);
}

void PageListWidget::retitle(int position)
{
    if (KSlabWidget *tile = slabAt(position))
        tile->setTitle(tr("Page %1").arg(position + 1));
}

KSlabWidget *PageListWidget::currentTile() const
{
    return slabAt(currentIndex());
}
