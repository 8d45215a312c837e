#pragma once

#include "EarlierSessions.h"
#include "ImageListWidget.h"
#include "PageFolder.h"

#include <QHash>
#include <QPointer>
#include <QSize>
#include <QStringList>
#include <functional>

class QMenu;

// The page store: the ordered pages of the open document, each a tile of the strip plus its
// page image and thumbnail files in the work folder's "Current" folder (see PageFolder).
// Positions are 0-based; titles are "Page <position + 1>". After every move and removal the
// files are renumbered, so file number = position + 1 and the folder always tells the order.
// Page files of an earlier run stay in "Current" until they are restored or a new document
// starts; then they are moved, untouched, into EarlierSessions.
//
// GUI thread only. The store owns its tiles (through the strip) and the thumbnails in them;
// page images stay on disk and are never held in memory. The page menu is not owned.
// Operations that write files return a WriteResult; when it fails, its message is for the
// user and the store stays consistent with what is on disk. Operations process pending
// events only where the pages, tiles and files agree, so a command run by those events finds
// a whole store; moves and removals asked for meanwhile are refused.
class PageListWidget : public ImageListWidget
{
    Q_OBJECT

public:
    // workFolder empty: the per-user application data location. Creates the work folder with
    // its "Current" and "Config" folders; the files of a previous run stay in "Current".
    explicit PageListWidget(QWidget *parent = nullptr, const QString &workFolder = QString());
    ~PageListWidget() override;

    // Appends a page made from image and makes it current. asTiff: stored as a 1-bit TIFF
    // (black-and-white pages), else as a JPEG with the stored quality. On failure no page is
    // added and no file of it is left. The first page of a document moves the files of an
    // earlier run aside first (EarlierSessions). jpeg not empty: the page is that JPEG file
    // byte for byte, image only its picture for the thumbnail (see PageFolder::writePage).
    WriteResult addPage(const QImage &image, bool asTiff, const QByteArray &jpeg = QByteArray());

    // Page files of an earlier run waiting in the current folder, owned by no page.
    QStringList waitingPageFiles() const;

    struct RestoreOutcome
    {
        int added = 0;
        // Files that could not be read as pictures; they stay where they are.
        QStringList unreadable;
        // Messages for the user about files that could not be moved or written.
        QStringList errors;
        // For the user: pages brought back whose file is damaged (PageFileCheck), kept as
        // they are so that nothing of them is lost.
        QStringList damaged;
    };
    // Appends the pages of the last session: the page files waiting in the current folder,
    // or else those of the newest kept earlier session. A page file of the right kind is
    // kept byte for byte (only renamed); only a missing thumbnail is made again. progress
    // runs after each page (it may process events). The last page added becomes current
    // without announcing it; the caller announces it once.
    RestoreOutcome restoreSession(const std::function<void()> &progress = {});

    // Makes the page at index current and announces it with pageSelected(QString); an index
    // out of range is ignored.
    void setCurrentPage(int index);
    // 0-based position of the current page, -1 if none.
    int currentIndex() const;
    int count() const;
    // The page's check mark; false for an index out of range.
    bool isChecked(int index) const;
    // A remark shown on the page's tile (KSlabWidget::setNote); ignored out of range.
    void setPageNote(int index, const QString &note);
    QString pageNote(int index) const;
    // Page image files of all pages in list order, checked or not.
    QStringList pagePaths() const;
    // Thumbnail files of all pages in list order.
    QStringList thumbnailPaths() const;

    QString workFolder() const;
    QString currentFolder() const;
    QString configFolder() const;
    // Where pages of earlier runs are kept aside.
    const EarlierSessions &earlierSessions() const { return m_earlier; }
    // Largest thumbnail width and height for pages added from now on.
    QSize thumbnailBox() const { return m_thumbBox; }

    // Stable ids of the pages in list order: an id stays with its page through moves, and
    // through a removal that is put back.
    QList<quint64> pageIds() const;

    // A removed page whose files were kept aside, so that it can be put back.
    struct KeptPage
    {
        quint64 id = 0;
        int position = 0; // before the removal
        bool checked = false;
        PageFolder::Files files; // in the folder kept in
        QString note;
    };

    // Remove pages with their files; the page at the removed position (or the new last
    // page) becomes current. An index out of range does nothing.
    WriteResult removePage(int index);
    WriteResult removeCurrentPage();
    // Removes the pages at positions with one renumbering at the end; the page after the
    // first removed position (or the new last page) becomes current, announced once.
    // keepIn not empty: the files are moved into that folder instead of being deleted, and
    // each page so kept is appended to *kept (a page that could not be moved is deleted and
    // left out); pagesRenumbered tells their new names.
    WriteResult removePages(QList<int> positions, const QString &keepIn = QString(),
                            QList<KeptPage> *kept = nullptr);
    // Brings pages kept by removePages back at their positions, with their ids and check
    // marks; their files move back into the current folder (pagesRenumbered tells where).
    // The current page stays current.
    WriteResult putBack(QList<KeptPage> pages);
    // Removes every page with its files; numbering starts at 1 again. Files in the current
    // folder that are no page of the document stay.
    WriteResult clear();

    // Move the current page one place or to an end; the files are renumbered to follow.
    WriteResult moveUp();
    WriteResult moveDown();
    WriteResult moveTop();
    WriteResult moveBottom();
    // Moves the pages at positions, keeping their order, to the gap before the page at to
    // (count: the end), with one renumbering of the files; the current page stays current.
    // Positions out of range are left out; a gap out of range moves nothing.
    WriteResult movePages(QList<int> positions, int to);
    // Puts the pages in the order of ids (see pageIds), which must name every page once.
    WriteResult arrange(const QList<quint64> &ids);

    // Turn the current page's thumbnail (tile and file) by 270, 90 or 180 degrees, following
    // the editor's turn of the page image.
    WriteResult rotateThumbLeft();
    WriteResult rotateThumbRight();
    WriteResult rotateThumbFlip();
    // The same for the page at index by angle (90, 180 or 270) degrees clockwise.
    WriteResult rotateThumbAt(int index, quint16 angle);
    // Makes the current page's thumbnail again from image (the page after an edit).
    WriteResult updateThumbnail(const QImage &image);

    // Sets the thumbnail box and sizes every tile to it.
    void resizeThumbs(const QSize &size);
    // Context menu for tiles added from now on.
    void setPageMenu(QMenu *menu);

signals:
    // path: the page image file of the page that became current.
    void pageSelected(const QString &path);
    // Renumbering gave the current page's image file a new name; the page did not change.
    void currentPageRenamed(const QString &from, const QString &to);
    // The files were renumbered after a move or a removal: the page whose image file was
    // before[i] now has after[i]. A page not in before was removed.
    void pagesRenumbered(const QStringList &before, const QStringList &after);

protected:
    // The page image files, for a drag out to another program.
    QList<QUrl> urlsFor(const QList<int> &positions) const override;

public slots:
    // A tile was made current by the user.
    void pageSelected(int index);
    // Applies the editor's brightness and contrast (percent) to the current page's
    // thumbnail; black-and-white (TIFF) pages are left as they are.
    WriteResult setContrast(int brightness, int contrast);

    // Whether an operation is under way (another command runs inside its event processing).
    bool isBusy() const { return m_busy; }

private:
    WriteResult rotateThumb(quint16 angle);
    KSlabWidget *appendTile(const PageFolder::Files &files, const QImage &thumbnail);
    QImage restoredThumbnail(const PageFolder::Files &files) const;
    // Moves the tile at from to position to, keeping the map's keys 0 .. count - 1.
    WriteResult reorder(int from, int to);
    // Puts the tiles in order (the same tiles) and renumbers the files to follow.
    WriteResult reorder(const QList<KSlabWidget *> &order);
    // reorder, with the layout and the titles following.
    WriteResult applyOrder(const QList<KSlabWidget *> &order);
    // Gives every page the file numbers of its position. keptBefore and keptAfter: pages kept
    // aside meanwhile, announced with the renumbering.
    WriteResult renumberFiles(const QStringList &keptBefore = QStringList(),
                              const QStringList &keptAfter = QStringList());
    void retitle(int position);
    KSlabWidget *currentTile() const;

    PageFolder m_folder;
    EarlierSessions m_earlier;
    bool m_busy = false;
    int m_nextNumber = 0;
    QSize m_thumbBox{220, 220};
    QHash<KSlabWidget *, PageFolder::Files> m_files;
    QHash<KSlabWidget *, quint64> m_ids;
    quint64 m_lastId = 0;
    QPointer<QMenu> m_pageMenu;
};
