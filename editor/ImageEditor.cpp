#include "ImageEditor.h"

#include "BrightnessDlg.h"
#include "CropBoxItem.h"
#include "EditHistory.h"
#include "ImageFileWriter.h"
#include "ImageLoading.h"
#include "ImageTurning.h"
#include "PhotoGraphicsScene.h"
#include "PhotoGraphicsView.h"
#include "PhotoPixmapItem.h"
#include "ToneCurve.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMenu>
#include <QVBoxLayout>
#include <QWheelEvent>

Q_LOGGING_CATEGORY(lcEditor, "quillary.editor")

namespace {
constexpr double ZoomStep = 0.05;
constexpr double MinZoom = 0.05;
constexpr double MaxZoom = 2.0;
// Room left around a fitted picture so it does not touch the view's frame.
constexpr int FitMargin = 10;

// Page files are named by their position ("00000003_o.jpg" is page 3); any other file by its
// own name.
QString pageName(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype cut = name.indexOf(QLatin1String("_o."));
    bool isNumber = false;
    const int number = name.left(cut).toInt(&isNumber);
    if (cut > 0 && isNumber && number > 0)
        return ImageEditor::tr("Page %1").arg(number);
    return name;
}
} // namespace

ImageEditor::ImageEditor(QWidget *parent) : QWidget(parent)
{
    setAccessibleName(tr("Page editor"));
    m_view = new PhotoGraphicsView(this);
    m_scene = new PhotoGraphicsScene(this);
    m_scene->setView(m_view);
    m_history = new EditHistory(this);
    connect(m_history, &EditHistory::changed, this, &ImageEditor::historyChanged);
    m_view->setScene(m_scene);
    auto *layout = new QVBoxLayout(this);
    // No margin, so the fit is measured against the whole editor.
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
}

ImageEditor::~ImageEditor() = default;

bool ImageEditor::showPage(const QString &path, QString *error)
{
    const QImage image = readPageImage(path, error);
    if (image.isNull()) {
        qCWarning(lcEditor) << "Page not shown:" << path;
        return false;
    }
    m_path = path;
    m_view->setAccessibleName(pageName(path));
    showImage(image);
    emit historyChanged();
    return true;
}

void ImageEditor::showImage(const QImage &image)
{
    // Values picked for the page shown before must not go to this one.
    if (m_brightnessDlg && m_brightnessDlg->isVisible())
        m_brightnessDlg->reject();
    m_view->resetTransform();
    m_image = image;
    const int w = m_image.width();
    const int h = m_image.height();
    m_scene->setSceneRect(-w * 0.5, -h * 0.5, w, h);

    // Deleting the picture deletes its crop box with it.
    m_scene->setCropBox(nullptr);
    delete m_picture;
    m_cropBox = nullptr;
    m_picture = new PhotoPixmapItem;
    m_picture->setZValue(1.0);
    m_scene->addItem(m_picture);
    setPicturePixmap();
    makeCropBox();

    if (m_view->width() < w || m_view->height() < h)
        fitToView();
    else
        zoom1to1();
}

void ImageEditor::setPicturePixmap()
{
    m_picture->setPixmap(QPixmap::fromImage(m_image));
    m_picture->setOffset(-(m_image.width() / 2), -(m_image.height() / 2));
    m_picture->setTransform(QTransform());
}

void ImageEditor::makeCropBox()
{
    // Half the image's width and height, centred on the image.
    const int cw = int(m_image.width() * 0.25);
    const int ch = int(m_image.height() * 0.25);
    m_scene->setCropBox(nullptr);
    delete m_cropBox;
    m_cropBox = new CropBoxItem(QRectF(-cw, -ch, 2 * cw, 2 * ch), m_picture);
    m_cropBox->setZValue(2.0);
    m_cropBox->hide();
    m_scene->setCropBox(m_cropBox);
}

void ImageEditor::followRename(const QString &from, const QString &to)
{
    if (m_path.isEmpty() || m_path != from)
        return;
    m_path = to;
    m_view->setAccessibleName(pageName(to));
    emit historyChanged();
}

void ImageEditor::clearPage()
{
    m_view->resetTransform();
    m_image = QImage();
    m_path.clear();
    m_view->setAccessibleName(tr("Page view"));
    m_scene->setCropBox(nullptr);
    delete m_picture;
    m_picture = nullptr;
    m_cropBox = nullptr;
    m_scene->clear();
    if (m_brightnessDlg && m_brightnessDlg->isVisible())
        m_brightnessDlg->reject();
    emit historyChanged();
}

WriteResult ImageEditor::rotateBy(int degrees)
{
    if (!m_picture)
        return {false, QString()};
    // Lets the window show the pressed command before the work.
    QCoreApplication::processEvents();
    // Another command may have cleared or replaced the page meanwhile.
    if (!m_picture)
        return {false, QString()};

    const QImage turned = turnedImage(m_image, degrees);
    if (turned.isNull())
        return {false, tr("Not enough memory to turn the page.")};
    const WriteResult written = saveEditedImage(turned);
    if (!written)
        return written;

    // The crop box stays within the turned picture.
    const QRectF picture(m_picture->offset(), QSizeF(m_image.size()));
    if (!picture.contains(m_cropBox->box()))
        m_cropBox->setBox(picture.intersected(m_cropBox->box()));
    return written;
}

WriteResult ImageEditor::turnPageFile(const QString &path, int degrees)
{
    if (path == m_path)
        return rotateBy(degrees);
    QString error;
    const QImage page = readPageImage(path, &error);
    if (page.isNull())
        return {false, error};
    const QImage turned = turnedImage(page, degrees);
    if (turned.isNull())
        return {false, tr("Not enough memory to turn the page.")};
    const WriteResult written =
        m_history->rewrite(path, [&] { return writePageImage(turned, path); });
    emit historyChanged();
    return written;
}

WriteResult ImageEditor::saveEditedImage(const QImage &edited)
{
    // Written first, so a failed write leaves the file, the working image and the screen alike.
    // The file as it was goes into the history, so the edit can be taken back.
    const WriteResult written =
        m_history->rewrite(m_path, [&] { return writePageImage(edited, m_path); });
    if (!written) {
        qCWarning(lcEditor) << "Edited page not written:" << written.error;
        return written;
    }
    m_image = edited;
    setPicturePixmap();
    return written;
}

WriteResult ImageEditor::applyCrop()
{
    if (!m_cropBox || !m_cropBox->isVisible())
        return {false, QString()};
    // The picture's own coordinates are image pixels shifted by the pixmap offset, whatever
    // the zoom. Rounded edges may stick out by a pixel: the cut stays within the image.
    const QRectF box = m_cropBox->box().translated(-m_picture->offset());
    const QRect cut =
        QRect(qRound(box.left()), qRound(box.top()), qRound(box.width()), qRound(box.height()))
            .intersected(m_image.rect());
    if (cut.isEmpty())
        return {false, QString()};
    // A copy keeps the format, colour table and resolution, so a 1-bit page stays 1-bit.
    const QImage cropped = m_image.copy(cut);
    if (cropped.isNull())
        return {false, tr("Not enough memory to crop the page.")};
    const WriteResult written = saveEditedImage(cropped);
    if (written) {
        const bool shown = m_cropBox->isVisible();
        makeCropBox();
        m_cropBox->setVisible(shown);
    }
    return written;
}

void ImageEditor::cropping(bool on)
{
    if (m_cropBox)
        m_cropBox->setVisible(on);
}

void ImageEditor::contrast()
{
    if (!m_picture)
        return;
    if (!m_brightnessDlg) {
        m_brightnessDlg = new BrightnessDlg(this);
        connect(m_brightnessDlg, &BrightnessDlg::applied, this, &ImageEditor::brightnessApplied);
    }
    m_brightnessDlg->open();
    m_brightnessDlg->setSourceImage(m_image);
}

void ImageEditor::brightnessApplied()
{
    if (!m_picture || !m_brightnessDlg)
        return;
    const int brightness = m_brightnessDlg->brightnessValue();
    const int contrast = m_brightnessDlg->contrastValue();
    // On a copy, so a failed write leaves the working image as the file has it. A depth the
    // curve does not handle (black and white) stays as it is.
    QImage changed = m_image.copy();
    if (changed.isNull()) {
        emit editFailed(tr("Not enough memory to change the page."));
        return;
    }
    applyToneCurve(changed, brightness, contrast);
    const WriteResult written = saveEditedImage(changed);
    if (!written) {
        emit editFailed(written.error);
        return;
    }
    emit contrastChanged(brightness, contrast);
}

bool ImageEditor::canUndo() const
{
    return m_picture && m_history->canUndo(m_path);
}

bool ImageEditor::canRedo() const
{
    return m_picture && m_history->canRedo(m_path);
}

WriteResult ImageEditor::undo()
{
    return stepHistory(true);
}

WriteResult ImageEditor::redo()
{
    return stepHistory(false);
}

WriteResult ImageEditor::stepHistory(bool back)
{
    if (!m_picture)
        return {false, QString()};
    const WriteResult restored = back ? m_history->undo(m_path) : m_history->redo(m_path);
    if (!restored)
        return restored;
    QString error;
    const QImage image = readPageImage(m_path, &error);
    if (image.isNull())
        return {false, error};
    showImage(image);
    return restored;
}

void ImageEditor::zoomBy(int steps)
{
    if (!m_picture)
        return;
    m_scale = qBound(MinZoom, m_scale + steps * ZoomStep, MaxZoom);
    applyScale();
}

void ImageEditor::applyScale()
{
    const double w = m_image.width() * m_scale;
    const double h = m_image.height() * m_scale;
    m_scene->setSceneRect(-w * 0.5, -h * 0.5, w, h);
    m_picture->setScale(m_scale);
    m_scene->update();
}

void ImageEditor::fitToView()
{
    if (!m_picture)
        return;
    const QSize available = m_view->size() - QSize(FitMargin, FitMargin);
    const QSize fitted = m_image.size().scaled(available, Qt::KeepAspectRatio);
    if (fitted.width() <= 0)
        return;
    // Not clamped to the zoom range: a small page may fill a large view.
    m_scale = double(fitted.width()) / m_image.width();
    applyScale();
}

void ImageEditor::zoom1to1()
{
    if (!m_picture)
        return;
    m_view->resetTransform();
    m_picture->setTransform(QTransform());
    m_scale = 1.0;
    applyScale();
    m_view->centerOn(0, 0);
}

void ImageEditor::setContextMenu(QMenu *menu)
{
    m_contextMenu = menu;
}

void ImageEditor::rotateLeft()
{
    rotateBy(-90);
}

void ImageEditor::rotateRight()
{
    rotateBy(90);
}

void ImageEditor::rotateFlip()
{
    rotateBy(180);
}

void ImageEditor::zoomIn()
{
    zoomBy(1);
}

void ImageEditor::zoomOut()
{
    zoomBy(-1);
}

void ImageEditor::zoomFit()
{
    fitToView();
}

void ImageEditor::fitInView()
{
    fitToView();
}

void ImageEditor::wheelEvent(QWheelEvent *event)
{
    // One step per wheel event, whatever its size; a delta of 0 counts as a turn forward.
    const QPoint delta = event->angleDelta();
    zoomBy((delta.y() != 0 ? delta.y() : delta.x()) < 0 ? -1 : 1);
    event->accept();
}

void ImageEditor::contextMenuEvent(QContextMenuEvent *event)
{
    if (m_contextMenu)
        m_contextMenu->popup(event->globalPos());
}
