#pragma once

#include "ImageListWidget.h"
#include "PageFolder.h"

#include <QHash>
#include <QPointer>
#include <QSize>
#include <QStringList>

class QMenu;

// The page store: the ordered pages of the open document, each a tile of the strip plus its
// page image and thumbnail files in the work folder's "Current" folder (see PageFolder).
// Positions are 0-based; titles are "Page <position + 1>". Moves reorder pages without
// renaming files; a removal renumbers the files to follow the visible order again.
//
// GUI thread only. The store owns its tiles (through the strip) and the thumbnails in them;
// page images stay on disk and are never held in memory. The page menu is not owned.
// Operations that write files return a WriteResult; when it fails, its message is for the
// user and the store stays consistent with what is on disk. addPage() and removePage()
// process pending events inside, so other commands may run in the middle of them.
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
    // added and no file of it is left.
    WriteResult addPage(const QImage &image, bool asTiff);

    // Makes the page at index current and announces it with pageSelected(QString); an index
    // out of range is ignored.
    void setCurrentPage(int index);
    // 0-based position of the current page, -1 if none.
    int currentIndex() const;
    int count() const;
    // The page's check mark; false for an index out of range.
    bool isChecked(int index) const;
    // Page image files of all pages in list order, checked or not.
    QStringList pagePaths() const;
    // Thumbnail files of all pages in list order.
    QStringList thumbnailPaths() const;

    QString workFolder() const;
    QString currentFolder() const;
    QString configFolder() const;
    // Largest thumbnail width and height for pages added from now on.
    QSize thumbnailBox() const { return m_thumbBox; }

    // Remove pages with their files; the page at the removed position (or the new last
    // page) becomes current. An index out of range does nothing.
    WriteResult removePage(int index);
    WriteResult removeCurrentPage();
    // Removes every page and everything in the current folder; numbering starts at 1 again.
    WriteResult clear();

    // Move the current page one place or to an end; files keep their names.
    void moveUp();
    void moveDown();
    void moveTop();
    void moveBottom();

    // Turn the current page's thumbnail (tile and file) by 270, 90 or 180 degrees, following
    // the editor's turn of the page image.
    WriteResult rotateThumbLeft();
    WriteResult rotateThumbRight();
    WriteResult rotateThumbFlip();
    // Makes the current page's thumbnail again from image (the page after an edit).
    WriteResult updateThumbnail(const QImage &image);

    // Sets the thumbnail box and sizes every tile to it.
    void resizeThumbs(const QSize &size);
    // Context menu for tiles added from now on.
    void setPageMenu(QMenu *menu);

signals:
    // path: the page image file of the page that became current.
    void pageSelected(const QString &path);

public slots:
    // A tile was made current by the user.
    void pageSelected(int index);
    // Applies the editor's brightness and contrast (percent) to the current page's
    // thumbnail; black-and-white (TIFF) pages are left as they are.
    WriteResult setContrast(int brightness, int contrast);

private:
    WriteResult rotateThumb(quint16 angle);
    void retitle(int position);
    KSlabWidget *currentTile() const;

    PageFolder m_folder;
    int m_nextNumber = 0;
    QSize m_thumbBox{220, 220};
    QHash<KSlabWidget *, PageFolder::Files> m_files;
    QPointer<QMenu> m_pageMenu;
};
