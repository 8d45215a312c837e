#pragma once

#include "ImageFileWriter.h"

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

class BrightnessDlg;
class CropBoxItem;
class EditHistory;
class PhotoGraphicsScene;
class PhotoGraphicsView;
class PhotoPixmapItem;
class QMenu;

// The large page area: shows one page image file, zooms and pans it, turns it and writes every
// turn straight back into the file.
//
// Geometry: the picture's pixmap offset is (-(width / 2), -(height / 2)), so the image centre
// is the scene origin. Zoom is the picture item's scale (1.0 = one image pixel per screen
// pixel), between 0.05 and 2.0 in steps of 0.05; a fit to the view may lie outside that range.
//
// GUI thread only. The editor owns its view, its scene (which owns the picture and the crop
// box) and the one working image of the shown page; page files stay on disk. The context
// menu is not owned.
class ImageEditor : public QWidget
{
    Q_OBJECT

public:
    explicit ImageEditor(QWidget *parent = nullptr);
    ~ImageEditor() override;

    // Reads path (see readPageImage) and shows it: fitted when larger than the view, else 1:1.
    // A file that does not read as a good image leaves the editor as it was and returns false
    // with a message for the user in *error. The view is then named after the page ("Page 3"
    // for a page file numbered 3) for assistive technology.
    bool showPage(const QString &path, QString *error = nullptr);
    // Removes the picture and the working image.
    void clearPage();
    // The page shown was renamed on disk (the document's pages were renumbered): later edits
    // go to its new name. Nothing happens when from is not the page shown.
    void followRename(const QString &from, const QString &to);

    // Turns the page clockwise by degrees (negative: anticlockwise) and writes it over its
    // file (see writePageImage). On a failed write the file, the working image and the screen
    // stay as they were and the message is for the user. With no page shown nothing happens
    // and the result is a failure without a message. Processes pending events once before the
    // work, so another command may run first.
    WriteResult rotateBy(int degrees);
    // Turns the page file at path as rotateBy does, whether or not it is the page shown; its
    // file as it was goes into the history. On failure the file stays as it was.
    WriteResult turnPageFile(const QString &path, int degrees);
    // Adds steps x 0.05 to the zoom, kept within 0.05 and 2.0. Nothing without a page.
    void zoomBy(int steps);
    // Cuts the page to the visible crop box and writes it over its file, as rotateBy does,
    // then puts a fresh box on the smaller page. The cut is kept within the image. With the
    // box hidden or no page shown nothing happens and the result is a failure without a
    // message.
    WriteResult applyCrop();

    // The working image; null when no page is shown. Shares the editor's pixels, no copy.
    QImage currentImage() const { return m_image; }
    // The file shown and written back to; empty when no page is shown.
    QString pagePath() const { return m_path; }
    double scale() const { return m_scale; }

    PhotoGraphicsView *view() const { return m_view; }
    PhotoGraphicsScene *scene() const { return m_scene; }
    // Both nullptr when no page is shown; owned by the scene.
    PhotoPixmapItem *picture() const { return m_picture; }
    CropBoxItem *cropBox() const { return m_cropBox; }

    // The menu popped up on a right click; not owned.
    void setContextMenu(QMenu *menu);

    // Earlier versions of the edited pages; owned by the editor. Every edit that writes the
    // page file keeps the file as it was there first.
    EditHistory *history() const { return m_history; }
    bool canUndo() const;
    bool canRedo() const;
    // Puts the page shown back as it was before its last edit (as it was after the edit
    // taken back) and shows it. On failure the file and the screen stay as they were.
    WriteResult undo();
    WriteResult redo();
    // Created by the first contrast(); owned by the editor.
    BrightnessDlg *brightnessDialog() const { return m_brightnessDlg; }

signals:
    // Brightness and contrast (percent) just applied to the page and written to its file.
    void contrastChanged(int brightness, int contrast);
    // An edit could not be written; the page stays as its file has it. For the user.
    void editFailed(const QString &message);
    // What can be undone or redone for the page shown may have changed.
    void historyChanged();

public slots:
    void rotateLeft();
    void rotateRight();
    // A half turn, not a mirror image.
    void rotateFlip();
    void zoomIn();
    void zoomOut();
    void zoomFit();
    void fitInView();
    void zoom1to1();
    // Opens the brightness and contrast dialog (window-modal, returns at once) on the page.
    void contrast();
    // Applies the dialog's values to the whole page and writes it over its file.
    void brightnessApplied();
    // Shows or hides the crop box; nothing without a page.
    void cropping(bool on);

protected:
    void wheelEvent(QWheelEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void showImage(const QImage &image);
    void fitToView();
    void applyScale();
    void setPicturePixmap();
    void makeCropBox();
    // Every edit of the page is written here: edited goes over the page file and, only when
    // that succeeded, becomes the working image on screen.
    WriteResult saveEditedImage(const QImage &edited);

    WriteResult stepHistory(bool back);

    QPointer<QMenu> m_contextMenu;
    QString m_path;
    double m_scale = 1.0;
    QImage m_image;
    PhotoGraphicsView *m_view = nullptr;
    PhotoGraphicsScene *m_scene = nullptr;
    PhotoPixmapItem *m_picture = nullptr;
    CropBoxItem *m_cropBox = nullptr;
    BrightnessDlg *m_brightnessDlg = nullptr;
    EditHistory *m_history = nullptr;
};
