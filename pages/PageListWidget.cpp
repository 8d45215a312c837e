#include "PageListWidget.h"

#include "FlowLayout.h"
#include "KSlabWidget.h"
#include "PageFileCheck.h"
#include "ToneCurve.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMenu>
#include <QUrl>

namespace {
// Turns of the page image, in degrees.
constexpr quint16 kTurnLeft = 270;
constexpr quint16 kTurnRight = 90;
constexpr quint16 kHalfTurn = 180;

WriteResult done()
{
    return {true, QString()};
}

WriteResult busy()
{
    return {false, PageListWidget::tr("Another page command is still running.")};
}

// positions sorted, each once, all within 0 .. count - 1.
QList<int> validPositions(QList<int> positions, int count)
{
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    while (!positions.isEmpty() && positions.first() < 0)
        positions.removeFirst();
    while (!positions.isEmpty() && positions.last() >= count)
        positions.removeLast();
    return positions;
}

// Marks the store busy for one operation; nested use keeps the outer mark.
class BusyMark
{
public:
    explicit BusyMark(bool &flag) : m_flag(flag), m_was(flag) { m_flag = true; }
    ~BusyMark() { m_flag = m_was; }
    BusyMark(const BusyMark &) = delete;
    BusyMark &operator=(const BusyMark &) = delete;

private:
    bool &m_flag;
    bool m_was;
};
} // namespace

PageListWidget::PageListWidget(QWidget *parent, const QString &workFolder)
    : ImageListWidget(parent), m_folder(workFolder), m_earlier(m_folder.workFolder())
{
    setAccessibleName(tr("Pages"));
    setTileWidth(m_thumbBox.width());
    connect(this, &ImageListWidget::selected, this, qOverload<int>(&PageListWidget::pageSelected));
}

PageListWidget::~PageListWidget() = default;

WriteResult PageListWidget::addPage(const QImage &image, bool asTiff, const QByteArray &jpeg)
{
    // A new document never writes over the pages of an earlier run.
    if (count() == 0) {
        const WriteResult kept = m_earlier.keep(m_folder.currentFolder());
        if (!kept)
            return kept;
    }
    m_nextNumber = count() + 1;
    // A file that no page owns under the new number (one that failed to restore) is kept.
    QStringList noQueue;
    WriteResult result = m_folder.makeWay(m_nextNumber, asTiff, noQueue);
    PageFolder::Files files;
    QImage thumbnail;
    if (result)
        result =
            m_folder.writePage(image, asTiff, m_nextNumber, m_thumbBox, &files, &thumbnail, jpeg);
    if (!result)
        return result;

    KSlabWidget *tile = appendTile(files, thumbnail);
    QPointer<KSlabWidget> guard(tile);
    QCoreApplication::processEvents();
    // A command run by those events may already have removed the page again.
    if (guard)
        setCurrentSlab(tile);
    return result;
}

KSlabWidget *PageListWidget::appendTile(const PageFolder::Files &files, const QImage &thumbnail)
{
    auto *tile = new KSlabWidget(m_thumbBox.width(), m_thumbBox.height(),
                                 tr("Page %1").arg(count() + 1), this, true);
    addSlab(tile);
    tile->setContextMenu(m_pageMenu);
    tile->setImage(thumbnail);
    m_files.insert(tile, files);
    m_ids.insert(tile, ++m_lastId);
    return tile;
}

QStringList PageListWidget::waitingPageFiles() const
{
    QStringList waiting = pageImageFiles(m_folder.currentFolder());
    for (const PageFolder::Files &files : m_files)
        waiting.removeOne(files.image);
    return waiting;
}

PageListWidget::RestoreOutcome PageListWidget::restoreSession(const std::function<void()> &progress)
{
    RestoreOutcome outcome;
    if (m_busy) {
        outcome.errors << busy().error;
        return outcome;
    }
    const BusyMark mark(m_busy);
    QStringList queue = waitingPageFiles();
    QString session;
    if (queue.isEmpty()) {
        session = m_earlier.newest();
        queue = pageImageFiles(session);
    }

    KSlabWidget *last = nullptr;
    for (int i = 0; i < queue.size(); ++i) {
        // Read from the queue each time: making way for a page may have renamed a later one.
        const QString source = queue.at(i);
        const int number = count() + 1;
        PageFolder::Files files;
        QImage thumbnail;
        const PageFileCheck check = PageFileCheck::check(source);
        if (PageFolder::isPageFileOfItsKind(source)) {
            const WriteResult adopted = m_folder.adoptPage(source, number, queue, &files);
            if (!adopted) {
                outcome.errors << adopted.error;
                continue;
            }
            // A damaged page still comes back in its place: the user sees it and decides.
            if (!check)
                outcome.damaged << check.pageMessage(number - 1);
            thumbnail = restoredThumbnail(files);
        } else {
            // Not what its name says (written by something else): decoded and written anew.
            // The decoder fills a cut-off picture with grey: that must not replace the file.
            const QImage image = check ? QImageReader(source).read() : QImage();
            const bool asTiff = QFileInfo(source).suffix() == QLatin1String("tiff");
            if (image.isNull()) {
                outcome.unreadable << source;
                continue;
            }
            WriteResult written = m_folder.makeWay(number, asTiff, queue);
            if (written) {
                written = m_folder.writePage(image, asTiff, number, m_thumbBox, &files, &thumbnail);
            }
            if (!written) {
                outcome.errors << written.error;
                continue;
            }
            // Making way may have moved the source itself aside.
            const QString old = queue.at(i);
            QFile::remove(old);
            QFile::remove(PageFolder::thumbnailFor(old));
        }
        last = appendTile(files, thumbnail);
        ++outcome.added;
        if (progress)
            progress();
    }
    if (!session.isEmpty())
        EarlierSessions::removeIfDone(session);
    if (last && m_slabs.key(last, -1) >= 0) {
        const QSignalBlocker quiet(this);
        setCurrentSlab(last);
    }
    return outcome;
}

QImage PageListWidget::restoredThumbnail(const PageFolder::Files &files) const
{
    QImage thumbnail = QImageReader(files.thumbnail).read();
    if (!thumbnail.isNull())
        return thumbnail;
    // Missing or damaged: made again from the page, decoded at a reduced size where the
    // format allows it.
    QImageReader reader(files.image);
    const QSize size = reader.size();
    if (size.isValid() &&
        (size.width() > m_thumbBox.width() || size.height() > m_thumbBox.height()))
        reader.setScaledSize(size.scaled(m_thumbBox, Qt::KeepAspectRatio));
    thumbnail = PageFolder::makeThumbnail(reader.read(), m_thumbBox);
    // The tile shows it either way; the file is only a cache for the next restore.
    (void)PageFolder::writeThumbnail(thumbnail, files.thumbnail);
    return thumbnail;
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

void PageListWidget::setPageNote(int index, const QString &note)
{
    if (KSlabWidget *tile = slabAt(index))
        tile->setNote(note);
}

QString PageListWidget::pageNote(int index) const
{
    const KSlabWidget *tile = slabAt(index);
    return tile ? tile->note() : QString();
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
    return removePages({index});
}

QList<quint64> PageListWidget::pageIds() const
{
    QList<quint64> ids;
    for (KSlabWidget *tile : m_slabs)
        ids.append(m_ids.value(tile));
    return ids;
}

WriteResult PageListWidget::removePages(QList<int> positions, const QString &keepIn,
                                        QList<KeptPage> *kept)
{
    if (m_busy)
        return busy();
    positions = validPositions(positions, count());
    if (positions.isEmpty())
        return done();

    const BusyMark mark(m_busy);
    WriteResult result = done();
    QList<KSlabWidget *> removed;
    for (int position : std::as_const(positions))
        removed.append(slabAt(position));
    QStringList keptBefore;
    QStringList keptAfter;
    for (KSlabWidget *tile : std::as_const(removed)) {
        const PageFolder::Files files = m_files.take(tile);
        const quint64 id = m_ids.take(tile);
        if (kept && !keepIn.isEmpty()) {
            // Named by id, which no other page of this run has.
            const QString name = keepIn + QLatin1Char('/') + QString::number(id);
            const PageFolder::Files aside{
                name + QLatin1String("_o.") + QFileInfo(files.image).suffix(),
                name + QLatin1String("_s.jpg")};
            if (QFile::rename(files.image, aside.image)) {
                // A thumbnail is only a cache: one that stays behind is made again.
                if (!QFile::rename(files.thumbnail, aside.thumbnail))
                    QFile::remove(files.thumbnail);
                kept->append({id, slabPosition(tile), tile->isChecked(), aside, tile->note()});
                keptBefore << files.image;
                keptAfter << aside.image;
                continue;
            }
        }
        const WriteResult deleted = PageFolder::removeFiles(files);
        if (!deleted && result)
            result = deleted;
    }
    takeSlabs(removed);

    for (int position = positions.first(); position < count(); ++position)
        retitle(position);
    const WriteResult renamed = renumberFiles(keptBefore, keptAfter);
    if (!renamed && result)
        result = renamed;

    if (count() > 0)
        setCurrentIndex(quint16(qMin(positions.first(), count() - 1)), 1);
    return result;
}

WriteResult PageListWidget::putBack(QList<KeptPage> pages)
{
    if (m_busy)
        return busy();
    if (pages.isEmpty())
        return done();
    const BusyMark mark(m_busy);
    std::sort(pages.begin(), pages.end(),
              [](const KeptPage &a, const KeptPage &b) { return a.position < b.position; });
    QList<KSlabWidget *> order = m_slabs.values();
    for (const KeptPage &page : std::as_const(pages)) {
        KSlabWidget *tile = appendTile(page.files, restoredThumbnail(page.files));
        m_ids.insert(tile, page.id);
        tile->setChecked(page.checked);
        tile->setNote(page.note);
        order.insert(qBound(0, page.position, int(order.size())), tile);
    }
    return applyOrder(order);
}

WriteResult PageListWidget::arrange(const QList<quint64> &ids)
{
    if (m_busy)
        return busy();
    QList<KSlabWidget *> order;
    for (quint64 id : ids) {
        KSlabWidget *tile = m_ids.key(id, nullptr);
        if (!tile || order.contains(tile))
            break;
        order << tile;
    }
    if (order.size() != count() || ids.size() != count())
        return {false, tr("The pages have changed meanwhile.")};
    const BusyMark mark(m_busy);
    return applyOrder(order);
}

WriteResult PageListWidget::renumberFiles(const QStringList &keptBefore,
                                          const QStringList &keptAfter)
{
    KSlabWidget *current = currentTile();
    const QString currentImage = m_files.value(current).image;
    QList<PageFolder::Files> pages;
    QStringList before;
    for (KSlabWidget *page : std::as_const(m_slabs)) {
        pages.append(m_files.value(page));
        before.append(pages.last().image);
    }
    const WriteResult renamed = m_folder.renumber(pages);
    // Also after a failed rename: the records follow the files to where they really are.
    int position = 0;
    for (KSlabWidget *page : std::as_const(m_slabs))
        m_files.insert(page, pages.value(position++));
    // The editor holds the current page by its file name: it must write to the new one.
    if (current && m_files.value(current).image != currentImage)
        emit currentPageRenamed(currentImage, m_files.value(current).image);
    QStringList after;
    for (const PageFolder::Files &page : std::as_const(pages))
        after.append(page.image);
    emit pagesRenumbered(before + keptBefore, after + keptAfter);
    return renamed;
}

WriteResult PageListWidget::removeCurrentPage()
{
    return removePage(currentIndex());
}

WriteResult PageListWidget::clear()
{
    if (m_busy)
        return busy();
    const BusyMark mark(m_busy);
    // Only the document's own files: pages of the last session still waiting there, and
    // whatever else someone put in the folder, stay to be restored or put aside.
    WriteResult result = done();
    for (const PageFolder::Files &files : std::as_const(m_files)) {
        const WriteResult deleted = PageFolder::removeFiles(files);
        if (!deleted && result)
            result = deleted;
    }
    clearSlabs();
    m_files.clear();
    m_ids.clear();
    m_nextNumber = 0;
    return result;
}

WriteResult PageListWidget::moveUp()
{
    const int current = currentIndex();
    if (m_busy)
        return busy();
    if (current < 1 || current >= count())
        return done();
    const WriteResult renumbered = reorder(current, current - 1);
    m_layout->moveItemUp(current);
    retitle(current - 1);
    retitle(current);
    setCurrentIndex(quint16(current - 1), -1);
    return renumbered;
}

WriteResult PageListWidget::moveDown()
{
    const int current = currentIndex();
    if (m_busy)
        return busy();
    if (current < 0 || current >= count() - 1)
        return done();
    const WriteResult renumbered = reorder(current, current + 1);
    m_layout->moveItemDown(current);
    retitle(current);
    retitle(current + 1);
    setCurrentIndex(quint16(current + 1), 2);
    return renumbered;
}

WriteResult PageListWidget::moveTop()
{
    const int current = currentIndex();
    const int n = count();
    if (m_busy)
        return busy();
    if (current < 1 || current >= n)
        return done();
    const WriteResult renumbered = reorder(current, 0);
    m_layout->moveItemToFirst(current);
    for (int position = 0; position <= current; ++position)
        retitle(position);
    setCurrentIndex(0, -n);
    return renumbered;
}

WriteResult PageListWidget::moveBottom()
{
    const int current = currentIndex();
    const int n = count();
    if (m_busy)
        return busy();
    if (current < 0 || current >= n - 1)
        return done();
    const WriteResult renumbered = reorder(current, n - 1);
    m_layout->moveItemToLast(current);
    for (int position = current; position < n; ++position)
        retitle(position);
    setCurrentIndex(quint16(n - 1), n + 1);
    return renumbered;
}

WriteResult PageListWidget::movePages(QList<int> positions, int to)
{
    if (m_busy)
        return busy();
    positions = validPositions(positions, count());
    if (positions.isEmpty() || to < 0 || to > count())
        return done();
    const QList<KSlabWidget *> before = m_slabs.values();
    QList<KSlabWidget *> order;
    QList<KSlabWidget *> moved;
    int at = to;
    for (int position = 0; position < before.size(); ++position) {
        if (positions.contains(position)) {
            moved << before.at(position);
            if (position < to)
                --at;
        } else {
            order << before.at(position);
        }
    }
    for (int i = 0; i < moved.size(); ++i)
        order.insert(at + i, moved.at(i));
    if (order == before)
        return done();
    const BusyMark mark(m_busy);
    return applyOrder(order);
}

WriteResult PageListWidget::applyOrder(const QList<KSlabWidget *> &order)
{
    const QList<KSlabWidget *> before = m_slabs.values();
    const WriteResult renumbered = reorder(order);
    QList<KSlabWidget *> laidOut = before;
    for (int position = 0; position < order.size(); ++position) {
        const int from = int(laidOut.indexOf(order.at(position)));
        m_layout->moveItem(from, position);
        laidOut.move(from, position);
        if (before.at(position) != order.at(position))
            retitle(position);
    }
    return renumbered;
}

WriteResult PageListWidget::reorder(int from, int to)
{
    QList<KSlabWidget *> order = m_slabs.values();
    order.move(from, to);
    return reorder(order);
}

WriteResult PageListWidget::reorder(const QList<KSlabWidget *> &order)
{
    m_slabs.clear();
    for (int position = 0; position < order.size(); ++position)
        m_slabs.insert(position, order.at(position));
    rechainTabOrder();
    // The files follow at once, so a restart or a crash restores the order the user sees.
    // A failed rename leaves every picture with its page; the next renumbering mends it.
    return renumberFiles();
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
    setTileWidth(size.width());
}

QList<QUrl> PageListWidget::urlsFor(const QList<int> &positions) const
{
    QList<QUrl> urls;
    for (int position : positions) {
        if (KSlabWidget *tile = slabAt(position))
            urls << QUrl::fromLocalFile(m_files.value(tile).image);
    }
    return urls;
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
    return rotateThumbAt(currentIndex(), angle);
}

WriteResult PageListWidget::rotateThumbAt(int index, quint16 angle)
{
    KSlabWidget *tile = slabAt(index);
    if (!tile)
        return done();
    rotateSlabAt(index, angle);
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
