// The commands that change the document: loading files, restoring the last session,
// removing, moving and turning pages, zooming the page view.
#include "MainWindow.h"

#include "DocumentHistory.h"
#include "DroppedFiles.h"
#include "EditHistory.h"
#include "ImageEditor.h"
#include "ImageLoading.h"
#include "PageCommand.h"
#include "BlankPage.h"
#include "PageListWidget.h"
#include "PageOrientation.h"
#include "SettingsKeys.h"
#include "StartPanel.h"
#include "TwoSidedStackDlg.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStackedWidget>
#include <QStandardPaths>

namespace {
// How often a long restore lets the window repaint and show its progress.
constexpr qint64 RestoreRepaintMs = 100;
// How long loading files runs before it shows its progress and Cancel.
constexpr int LoadProgressDelayMs = 800;

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
} // namespace

bool MainWindow::confirm(const QString &question)
{
    return QMessageBox::question(this, tr("Quillary"), question,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void MainWindow::showLoadFailure(const QString &path, const QString &reason)
{
    QString text = tr("Sorry, can't load file. Wrong file format.<br>%1")
                       .arg(QFileInfo(path).fileName().toHtmlEscaped());
    if (!reason.isEmpty())
        text += tr("<br>The file is %1.").arg(reason.toHtmlEscaped());
    showNotice(text);
}

bool MainWindow::addPageToStore(const QImage &image, bool asTiff, const QByteArray &jpeg)
{
    // Removals and moves are kept by position, which a new page changes.
    m_documentHistory->dropAll();
    m_pagePanelStack->setCurrentIndex(PageStorePanel);
    const WriteResult written = m_pageStore->addPage(image, asTiff, jpeg);
    if (!written)
        showNotice(tr("The page could not be saved.<br>%1").arg(written.error.toHtmlEscaped()));
    return written.ok;
}

bool MainWindow::checkNewPage(int index, const QImage &image, bool scanned)
{
    const bool upright = readSetting(Settings::AutoOrientation).toBool();
    if (!upright && !scanned)
        return false;
    const QString path = m_pageStore->pagePaths().value(index);
    const QImage page = image.isNull() ? QImageReader(path).read() : image;
    QStringList notes;
    if (upright) {
        const OrientationGuess guess = detectOrientation(page);
        if (!guess.sure) {
            notes << tr("Which way up?");
        } else if (guess.turn != 0) {
            const WriteResult turned = m_editor->turnPageFile(path, guess.turn);
            reportIfFailed(turned);
            if (turned)
                reportIfFailed(m_pageStore->rotateThumbAt(index, quint16(guess.turn)));
        }
    }
    // Judged as it is, turned or not: blankness does not depend on the way up.
    const bool blank = scanned && detectBlankPage(page).blank;
    if (blank)
        notes << tr("Blank page?");
    m_pageStore->setPageNote(index, notes.join(QLatin1Char(' ')));
    return blank;
}

void MainWindow::leaveOutBlankPages()
{
    const QList<quint64> blank = std::exchange(m_blankOfRun, {});
    if (blank.isEmpty() || !readSetting(Settings::SkipBlankPages).toBool() ||
        readSetting(Settings::PaperSource).toInt() != 1)
        return;
    const PageCommand command(m_pageCommandRunning);
    if (!command)
        return;
    const QList<quint64> ids = m_pageStore->pageIds();
    QList<int> positions;
    for (const quint64 id : blank) {
        if (ids.contains(id))
            positions << int(ids.indexOf(id));
    }
    if (positions.isEmpty())
        return;
    reportIfFailed(m_documentHistory->remove(positions));
    if (m_pageStore->count() == 0)
        documentEmptied();
    showNotice(tr("%n blank pages were left out.", nullptr, int(positions.size())) +
               tr("<br>Undo brings them back."));
}

void MainWindow::finishBatch(int added)
{
    m_pageStore->blockSignals(false);
    // The count changed while the store was quiet.
    showPageCount();
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
        tr("All Image Files (*.png *.jpeg *.jpg *.bmp *.tiff *.tif *.pdf);;Bitmaps (*.bmp);;TIFF "
           "Image File (*.tiff *.tif);;JPEG Image File (*.jpeg *.jpg);;PNG Image File "
           "(*.png);;PDF Document (*.pdf)"));
    loadFiles(files);
}

void MainWindow::loadFiles(const QStringList &files)
{
    if (files.isEmpty())
        return;
    const PageCommand command(m_pageCommandRunning);
    if (!command)
        return;
    workAreaChanged(EditorArea);
    QCoreApplication::processEvents();
    m_pageStore->blockSignals(true);
    // Shown only when loading takes a while; a PDF of hundreds of pages does.
    QProgressDialog progress(this);
    progress.setWindowTitle(tr("Quillary"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(LoadProgressDelayMs);
    progress.setAutoReset(false);
    int added = 0;
    bool tookBack = false;
    for (const QString &file : files) {
        if (progress.wasCanceled())
            break;
        const int before = m_pageStore->count();
        const QString name = QFileInfo(file).fileName();
        bool cutShort = false;
        const LoadedFile loaded = readImageFilePages(file, [&](LoadedPage &&page) {
            if (progress.wasCanceled()) {
                cutShort = true;
                return false;
            }
            progress.setMaximum(page.count);
            progress.setLabelText(
                tr("Loading %1, page %2 of %3").arg(name).arg(page.index + 1).arg(page.count));
            progress.setValue(page.index);
            // The store has said why; the next pages would only fail the same way.
            if (!addPageToStore(page.image, page.asTiff, page.jpeg))
                return false;
            // A JPEG page came with a small picture only: its file is looked at instead.
            checkNewPage(m_pageStore->count() - 1, page.jpeg.isEmpty() ? page.image : QImage(),
                         false);
            return true;
        });
        const int addedOfFile = m_pageStore->count() - before;
        if ((!loaded || cutShort) && addedOfFile > 0) {
            // A document never holds half a file.
            QList<int> partial;
            for (int position = before; position < m_pageStore->count(); ++position)
                partial << position;
            reportIfFailed(m_pageStore->removePages(partial));
            tookBack = true;
        }
        if (loaded.failure == LoadFailure::Missing || loaded.failure == LoadFailure::NotAFile) {
            // Not a matter of file format: say what is wrong with the name given.
            showNotice(tr("Sorry, can't load file.<br>%1").arg(loaded.error.toHtmlEscaped()));
            continue;
        }
        if (!loaded) {
            showLoadFailure(file, loadFailureReason(loaded.failure));
            continue;
        }
        // The files before stay whole; the one cut short was taken back.
        if (cutShort)
            break;
        added += addedOfFile;
        if (addedOfFile > 0)
            writeSetting(Settings::LastPath, QFileInfo(file).absoluteFilePath());
    }
    if (tookBack && m_pageStore->count() == 0)
        documentEmptied();
    finishBatch(added);
}

void MainWindow::dropFiles(const QStringList &files, int gap)
{
    const int before = m_pageStore->count();
    const int current = m_pageStore->currentIndex();
    const int to = gap >= 0 ? qMin(gap, before) : (current >= 0 ? current + 1 : before);
    loadFiles(files);
    if (m_pageStore->count() == before)
        return;
    const PageCommand command(m_pageCommandRunning);
    if (!command)
        return;
    QList<int> added;
    for (int position = before; position < m_pageStore->count(); ++position)
        added << position;
    reportIfFailed(m_pageStore->movePages(added, to));
    // The last new page stays current: show it where it landed.
    m_pageStore->setCurrentPage(m_pageStore->currentIndex());
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void MainWindow::dragMoveEvent(QDragMoveEvent *event)
{
    if (droppedFiles(event).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QStringList files = droppedFiles(event);
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    dropFiles(files);
}

void MainWindow::dropPages(const QList<int> &positions, int gap)
{
    const PageCommand command(m_pageCommandRunning);
    if (command)
        reportIfFailed(m_documentHistory->move(
            [&] { return m_pageStore->movePages(positions, gap); }));
}

void MainWindow::restoreSession()
{
    const PageCommand command(m_pageCommandRunning);
    if (!command)
        return;
    m_documentHistory->dropAll();
    m_pageStore->blockSignals(true);
    const int panelBefore = m_pagePanelStack->currentIndex();
    m_pagePanelStack->setCurrentIndex(PageStorePanel);
    // Repainting after every page would lay the whole strip out once per page.
    QElapsedTimer sinceRepaint;
    sinceRepaint.start();
    const PageListWidget::RestoreOutcome outcome = m_pageStore->restoreSession([&sinceRepaint] {
        if (sinceRepaint.elapsed() < RestoreRepaintMs)
            return;
        QCoreApplication::processEvents();
        sinceRepaint.restart();
    });
    for (const QString &path : outcome.unreadable)
        showLoadFailure(path);
    for (const QString &error : outcome.errors)
        showNotice(error.toHtmlEscaped());
    for (const QString &damaged : outcome.damaged)
        showNotice(damaged.toHtmlEscaped() + tr("<br>The page is kept as it was found."));
    // A command that silently does nothing looks broken.
    if (outcome.added == 0 && outcome.unreadable.isEmpty() && outcome.errors.isEmpty())
        showNotice(tr("There is no earlier session to restore."));
    if (outcome.added == 0)
        m_pagePanelStack->setCurrentIndex(panelBefore);
    finishBatch(outcome.added);
    updateStartPanel();
}

void MainWindow::offerWaitingPages()
{
    const int waiting = updateStartPanel();
    if (waiting == 0)
        return;
    QString text = StartPanel::waitingText(waiting) +
                   tr("<br>\"Restore Session\" brings them back; a new page puts them aside.");
    if (!m_startPanel->removalWarning().isEmpty())
        text += QLatin1String("<br>") + m_startPanel->removalWarning().toHtmlEscaped();
    showNotice(text);
}

int MainWindow::updateStartPanel()
{
    const int waiting = int(m_pageStore->waitingPageFiles().size());
    m_startPanel->setWaitingPages(waiting);
    // Only putting waiting pages aside deletes a kept session; the user hears of it first.
    const EarlierSessions &earlier = m_pageStore->earlierSessions();
    const QList<EarlierSessions::Session> removed =
        waiting > 0 ? earlier.removedByNextKeep() : QList<EarlierSessions::Session>();
    if (removed.isEmpty())
        m_startPanel->setRemovalWarning(QString());
    else
        m_startPanel->setRemovalWarning(
            StartPanel::removalText(int(earlier.sessions().size()), removed.first().pages,
                                    removed.first().lastChanged.date()));
    return waiting;
}

void MainWindow::selectPage(const QString &path)
{
    m_workAreaStack->setCurrentIndex(EditorArea);
    QCoreApplication::processEvents();
    QString error;
    if (!m_editor->showPage(path, &error))
        showNotice(error.toHtmlEscaped());
    // A page arriving during crop mode gets its own box, shown.
    else if (action(Command::Crop)->isChecked())
        m_editor->cropping(true);
}

void MainWindow::documentEmptied()
{
    // The edit histories stay with the removed pages, for an undo of the removal.
    m_editor->clearPage();
    m_workAreaStack->setCurrentIndex(StartArea);
    m_pagePanelStack->setCurrentIndex(EmptyPanel);
    setActionsEnabled(m_pageActions, false);
}

void MainWindow::documentFilled()
{
    m_workAreaStack->setCurrentIndex(EditorArea);
    m_pagePanelStack->setCurrentIndex(PageStorePanel);
    setActionsEnabled(m_pageActions, true);
}

void MainWindow::reportIfFailed(const WriteResult &result)
{
    if (!result)
        showNotice(result.error.toHtmlEscaped());
}

void MainWindow::removePage()
{
    const PageCommand command(m_pageCommandRunning);
    if (!command || !confirm(tr("Do you want to remove the page?")))
        return;
    reportIfFailed(m_documentHistory->remove({m_pageStore->currentIndex()}));
    if (m_pageStore->count() == 0)
        documentEmptied();
}

void MainWindow::removeAll()
{
    const PageCommand command(m_pageCommandRunning);
    if (!command || !confirm(tr("Do you want to remove all pages from the document?")))
        return;
    QList<int> all;
    for (int index = 0; index < m_pageStore->count(); ++index)
        all.append(index);
    removePositions(all);
}

void MainWindow::removeAllButThis()
{
    const PageCommand command(m_pageCommandRunning);
    if (!command || !confirm(tr("Do you want to remove all pages but current from the document?")))
        return;
    const int current = m_pageStore->currentIndex();
    QList<int> others;
    for (int index = 0; index < m_pageStore->count(); ++index) {
        if (index != current)
            others.append(index);
    }
    if (current >= 0)
        removePositions(others);
}

void MainWindow::removeMarked(bool checked)
{
    QList<int> marked;
    for (int index = 0; index < m_pageStore->count(); ++index) {
        if (m_pageStore->isChecked(index) == checked)
            marked.append(index);
    }
    removePositions(marked);
}

void MainWindow::removePositions(const QList<int> &positions)
{
    {
        const BatchGuard batch(this);
        reportIfFailed(m_documentHistory->remove(positions));
        m_pageStore->repaint();
    }
    if (m_pageStore->count() == 0)
        documentEmptied();
}

void MainWindow::removeAllChecked()
{
    const PageCommand command(m_pageCommandRunning);
    if (command && confirm(tr("Do you want to remove all checked pages from the document?")))
        removeMarked(true);
}

void MainWindow::removeAllUnchecked()
{
    const PageCommand command(m_pageCommandRunning);
    if (command && confirm(tr("Do you want to remove all unchecked pages from the document?")))
        removeMarked(false);
}

void MainWindow::moveUp()
{
    const PageCommand command(m_pageCommandRunning);
    if (command)
        reportIfFailed(m_documentHistory->move([this] { return m_pageStore->moveUp(); }));
}

void MainWindow::moveDown()
{
    const PageCommand command(m_pageCommandRunning);
    if (command)
        reportIfFailed(m_documentHistory->move([this] { return m_pageStore->moveDown(); }));
}

void MainWindow::moveTop()
{
    const PageCommand command(m_pageCommandRunning);
    if (command)
        reportIfFailed(m_documentHistory->move([this] { return m_pageStore->moveTop(); }));
}

void MainWindow::moveBottom()
{
    const PageCommand command(m_pageCommandRunning);
    if (command)
        reportIfFailed(m_documentHistory->move([this] { return m_pageStore->moveBottom(); }));
}

void MainWindow::sortTwoSidedStack()
{
    const PageCommand command(m_pageCommandRunning);
    if (!command)
        return;
    QList<int> run;
    for (int index = 0; index < m_pageStore->count(); ++index) {
        if (m_pageStore->isChecked(index))
            run << index;
    }
    if (run.isEmpty()) {
        for (int index = 0; index < m_pageStore->count(); ++index)
            run << index;
    }
    if (run.size() < 2 || run.size() % 2 != 0) {
        showNotice(tr("A two-sided stack has as many backs as fronts.<br>Check its fronts and "
                      "backs (an even number of pages), or none to take every page."));
        return;
    }
    sortTwoSidedRun(run);
}

void MainWindow::sortTwoSidedRun(const QList<int> &run)
{
    TwoSidedStackDlg dialog(int(run.size() / 2), run.first() + 1, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The run keeps the places it had; only its pages change places among them.
    const QList<int> order = twoSidedOrder(int(run.size() / 2), dialog.backsReversed());
    const QList<quint64> before = m_pageStore->pageIds();
    QList<quint64> ids = before;
    for (int place = 0; place < run.size(); ++place)
        ids[run.at(place)] = before.at(run.at(order.at(place)));
    reportIfFailed(m_documentHistory->move([&] { return m_pageStore->arrange(ids); }));
    if (!dialog.turnBacks())
        return;
    const BatchGuard batch(this);
    const QStringList paths = m_pageStore->pagePaths();
    for (int place = 1; place < run.size(); place += 2) {
        const WriteResult turned = m_editor->turnPageFile(paths.at(run.at(place)), 180);
        if (!turned) {
            reportIfFailed(turned);
            return;
        }
        reportIfFailed(m_pageStore->rotateThumbAt(run.at(place), 180));
    }
}

void MainWindow::turnPage(int degrees)
{
    const PageCommand command(m_pageCommandRunning);
    if (!command || m_pageStore->currentIndex() < 0)
        return;
    if (action(Command::TurnChecked)->isChecked()) {
        turnCheckedPages(degrees);
        return;
    }
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

void MainWindow::turnCheckedPages(int degrees)
{
    QList<int> checked;
    for (int index = 0; index < m_pageStore->count(); ++index) {
        if (m_pageStore->isChecked(index))
            checked.append(index);
    }
    if (checked.isEmpty()) {
        showNotice(tr("No page is checked.<br>Check the pages to turn, or switch off \"Turn "
                      "Checked Pages\" to turn the current page."));
        return;
    }
    const BatchGuard batch(this);
    const QStringList paths = m_pageStore->pagePaths();
    const int quarterTurns = ((degrees / 90) % 4 + 4) % 4;
    for (const int index : std::as_const(checked)) {
        // Through the editor, so each turn can be taken back on its page like any other edit.
        const WriteResult turned = m_editor->turnPageFile(paths.at(index), degrees);
        if (!turned) {
            reportIfFailed(turned);
            return;
        }
        reportIfFailed(m_pageStore->rotateThumbAt(index, quint16(quarterTurns * 90)));
    }
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
