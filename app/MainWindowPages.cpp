// The commands that change the document: loading files, restoring the last session,
// removing, moving and turning pages, zooming the page view.
#include "MainWindow.h"

#include "ImageEditor.h"
#include "ImageLoading.h"
#include "PageListWidget.h"
#include "SettingsKeys.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStackedWidget>
#include <QStandardPaths>

namespace {
// Suspends painting and shows a wait cursor while many pages go at once.
class BatchGuard
{
public:
    explicit BatchGuard(QWidget *window) : m_window(window)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_window->setUpdatesEnabled(false);
    }
    ~BatchGuard()
    {
        m_window->setUpdatesEnabled(true);
        m_window->update();
        QApplication::restoreOverrideCursor();
    }

private:
    QWidget *m_window;
};

// Files of an earlier session wait under this prefix while the restore writes new numbers,
// so no file is overwritten before it has been read. The name still ends in "_o.jpg" or
// "_o.tiff", so an interrupted restore finds them again.
const QString RestorePrefix = QStringLiteral("restore-");
} // namespace

bool MainWindow::confirm(const QString &question)
{
    return QMessageBox::question(this, tr("Quillary"), question,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void MainWindow::showLoadFailure(const QString &path)
{
    showNotice(tr("Sorry, can't load file. Wrong file format.<br>%1")
                   .arg(QFileInfo(path).fileName().toHtmlEscaped()));
}

bool MainWindow::addPageToStore(const QImage &image, bool asTiff)
{
    m_pagePanelStack->setCurrentIndex(PageStorePanel);
    const WriteResult written = m_pageStore->addPage(image, asTiff);
    if (!written)
        showNotice(tr("The page could not be saved.<br>%1").arg(written.error.toHtmlEscaped()));
    return written.ok;
}

void MainWindow::finishBatch(int added)
{
    m_pageStore->blockSignals(false);
    if (added == 0)
        return;
    QCoreApplication::processEvents();
    m_pageStore->setCurrentPage(m_pageStore->currentIndex());
    setActionsEnabled(m_pageActions, true);
}

void MainWindow::loadFile()
{
    QString folder = readSetting(Settings::LastPath).toString();
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    const QStringList files = QFileDialog::getOpenFileNames(
        this, tr("Open Image"), folder,
        tr("All Image Files (*.png *.jpeg *.jpg *.bmp *.tiff *.tif);;Bitmaps (*.bmp);;TIFF Image "
           "File (*.tiff *.tif);;JPEG Image File (*.jpeg *.jpg);;PNG Image File (*.png)"));
    loadFiles(files);
}

void MainWindow::loadFiles(const QStringList &files)
{
    if (files.isEmpty())
        return;
    workAreaChanged(EditorArea);
    QCoreApplication::processEvents();
    m_pageStore->blockSignals(true);
    int added = 0;
    for (const QString &file : files) {
        const QImage image = readPageImage(file);
        if (image.isNull()) {
            showLoadFailure(file);
            continue;
        }
        const QFileInfo info(file);
        // Only a true bilevel TIFF stays a TIFF page; the suffix test is case-sensitive.
        const bool tiffSuffix =
            info.suffix() == QLatin1String("tiff") || info.suffix() == QLatin1String("tif");
        if (!addPageToStore(image, tiffSuffix && image.depth() < 8))
            continue;
        ++added;
        writeSetting(Settings::LastPath, info.absoluteFilePath());
    }
    finishBatch(added);
}

void MainWindow::restoreSession()
{
    QDir current(m_pageStore->currentFolder());
    const QStringList names = current.entryList(
        {QStringLiteral("*_o.jpg"), QStringLiteral("*_o.tiff")}, QDir::Files, QDir::Name);
    if (names.isEmpty())
        return;

    // Move every file that no open page owns out of the way of the numbers about to be written.
    const QStringList ownedByOpenPages = m_pageStore->pagePaths();
    QStringList sources;
    for (const QString &name : names) {
        const QString path = current.filePath(name);
        if (ownedByOpenPages.contains(path) || name.startsWith(RestorePrefix)) {
            sources << path;
            continue;
        }
        const QString aside = current.filePath(RestorePrefix + name);
        QFile::remove(aside);
        sources << (QFile::rename(path, aside) ? aside : path);
    }

    m_pageStore->blockSignals(true);
    int added = 0;
    for (const QString &source : sources) {
        const QImage image = readPageImage(source);
        if (image.isNull()) {
            showLoadFailure(source);
            continue;
        }
        if (!addPageToStore(image, QFileInfo(source).suffix() == QLatin1String("tiff")))
            continue;
        ++added;
        if (QFileInfo(source).fileName().startsWith(RestorePrefix))
            QFile::remove(source); // its picture now lives under its new number
        QCoreApplication::processEvents();
    }
    finishBatch(added);
}

void MainWindow::selectPage(const QString &path)
{
    m_workAreaStack->setCurrentIndex(EditorArea);
    QCoreApplication::processEvents();
    QString error;
    if (!m_editor->showPage(path, &error))
        showNotice(error.toHtmlEscaped());
}

void MainWindow::documentEmptied()
{
    m_editor->clearPage();
    m_workAreaStack->setCurrentIndex(StartArea);
    m_pagePanelStack->setCurrentIndex(EmptyPanel);
    setActionsEnabled(m_pageActions, false);
}

void MainWindow::reportIfFailed(const WriteResult &result)
{
    if (!result)
        showNotice(result.error.toHtmlEscaped());
}

void MainWindow::removePage()
{
    if (!confirm(tr("Do you want to remove the page?")))
        return;
    reportIfFailed(m_pageStore->removeCurrentPage());
    if (m_pageStore->count() == 0)
        documentEmptied();
}

void MainWindow::removeAll()
{
    if (!confirm(tr("Do you want to remove all pages from the document?")))
        return;
    reportIfFailed(m_pageStore->clear());
    m_editor->clearPage();
    QCoreApplication::processEvents();
    m_workAreaStack->setCurrentIndex(StartArea);
    QCoreApplication::processEvents();
    m_pagePanelStack->setCurrentIndex(EmptyPanel);
    QCoreApplication::processEvents();
    setActionsEnabled(m_pageActions, false);
}

void MainWindow::removeAllButThis()
{
    if (!confirm(tr("Do you want to remove all pages but current from the document?")))
        return;
    const BatchGuard batch(this);
    const int current = m_pageStore->currentIndex();
    if (current < 0)
        return;
    for (int index = m_pageStore->count() - 1; index > current; --index)
        reportIfFailed(m_pageStore->removePage(index));
    while (m_pageStore->count() > 1)
        reportIfFailed(m_pageStore->removePage(0));
}

void MainWindow::removeMarked(bool checked)
{
    const BatchGuard batch(this);
    for (int index = m_pageStore->count() - 1; index >= 0; --index) {
        if (m_pageStore->isChecked(index) == checked)
            reportIfFailed(m_pageStore->removePage(index));
    }
    m_pageStore->repaint();
    if (m_pageStore->count() == 0)
        documentEmptied();
}

void MainWindow::removeAllChecked()
{
    if (confirm(tr("Do you want to remove all checked pages from the document?")))
        removeMarked(true);
}

void MainWindow::removeAllUnchecked()
{
    if (confirm(tr("Do you want to remove all unchecked pages from the document?")))
        removeMarked(false);
}

void MainWindow::moveUp()
{
    m_pageStore->moveUp();
}

void MainWindow::moveDown()
{
    m_pageStore->moveDown();
}

void MainWindow::moveTop()
{
    m_pageStore->moveTop();
}

void MainWindow::moveBottom()
{
    m_pageStore->moveBottom();
}

void MainWindow::turnPage(int degrees)
{
    if (m_pageStore->currentIndex() < 0)
        return;
    const WriteResult turned = m_editor->rotateBy(degrees);
    if (!turned) {
        reportIfFailed(turned);
        return;
    }
    if (degrees == -90)
        reportIfFailed(m_pageStore->rotateThumbLeft());
    else if (degrees == 90)
        reportIfFailed(m_pageStore->rotateThumbRight());
    else
        reportIfFailed(m_pageStore->rotateThumbFlip());
}

void MainWindow::rotateLeft()
{
    turnPage(-90);
}

void MainWindow::rotateRight()
{
    turnPage(90);
}

void MainWindow::rotateFlip()
{
    turnPage(180);
}

void MainWindow::zoomIn()
{
    m_editor->zoomIn();
}

void MainWindow::zoomOut()
{
    m_editor->zoomOut();
}

void MainWindow::zoomFit()
{
    m_editor->zoomFit();
}
