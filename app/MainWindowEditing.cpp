// Page edits beyond turning: brightness and contrast, and taking edits, removals and moves
// back and making them again.
#include "MainWindow.h"

#include "DocumentHistory.h"
#include "EditHistory.h"
#include "ImageEditor.h"
#include "ImageFileWriter.h"
#include "OcrCache.h"
#include "PageCommand.h"
#include "PageListWidget.h"

#include <QAction>

void MainWindow::connectEditing()
{
    connect(m_editor, &ImageEditor::contrastChanged, this, &MainWindow::contrastApplied);
    connect(m_editor, &ImageEditor::editFailed, this,
            [this](const QString &message) { showNotice(message.toHtmlEscaped()); });
    connect(m_editor, &ImageEditor::historyChanged, this, &MainWindow::updateHistoryCommands);
    m_documentHistory = new DocumentHistory(m_pageStore, m_editor->history(), this);
    connect(m_documentHistory, &DocumentHistory::changed, this,
            &MainWindow::updateHistoryCommands);
    connect(action(Command::Crop), &QAction::toggled, this, &MainWindow::updateHistoryCommands);
    // Kept versions follow their pages to their new numbers, and go with removed pages.
    connect(m_pageStore, &PageListWidget::pagesRenumbered, m_editor->history(),
            &EditHistory::renumber);
    // Recognised text too, so that a move does not make the next export recognise again.
    connect(m_pageStore, &PageListWidget::pagesRenumbered, this,
            [](const QStringList &before, const QStringList &after) {
                OcrCache::instance().renumber(before, after);
            });
    updateHistoryCommands();
}

void MainWindow::contrast()
{
    const PageCommand command(m_pageCommandRunning);
    if (command && m_pageStore->currentIndex() >= 0)
        m_editor->contrast();
}

void MainWindow::contrastApplied(int brightness, int contrast)
{
    Q_UNUSED(brightness)
    Q_UNUSED(contrast)
    // Made again from the changed page rather than by changing the small picture, so it
    // matches the page exactly, as after any other edit.
    reportIfFailed(m_pageStore->updateThumbnail(m_editor->currentImage()));
}

void MainWindow::undo()
{
    stepHistory(true);
}

void MainWindow::redo()
{
    stepHistory(false);
}

void MainWindow::stepHistory(bool back)
{
    // Also refused while cropping: the box belongs to the page as it is shown.
    if (!action(back ? Command::Undo : Command::Redo)->isEnabled())
        return;
    const PageCommand command(m_pageCommandRunning);
    if (!command)
        return;
    const QString shown = m_editor->pagePath();
    const quint64 pageAge = shown.isEmpty() ? 0 : m_editor->history()->newestAge(shown, back);
    if (m_documentHistory->newestAge(back) > pageAge) {
        stepDocumentHistory(back);
        return;
    }
    if (m_pageStore->currentIndex() < 0)
        return;
    const WriteResult stepped = back ? m_editor->undo() : m_editor->redo();
    if (!stepped) {
        if (!stepped.error.isEmpty())
            reportIfFailed(stepped);
        return;
    }
    reportIfFailed(m_pageStore->updateThumbnail(m_editor->currentImage()));
}

void MainWindow::stepDocumentHistory(bool back)
{
    const bool wasEmpty = m_pageStore->count() == 0;
    if (wasEmpty)
        documentFilled();
    reportIfFailed(back ? m_documentHistory->undo() : m_documentHistory->redo());
    if (m_pageStore->count() == 0)
        documentEmptied();
    else if (wasEmpty)
        m_pageStore->setCurrentPage(m_pageStore->currentIndex());
}

void MainWindow::updateHistoryCommands()
{
    // m_documentHistory is made after the editor, whose signals may come first.
    const bool cropping = action(Command::Crop)->isChecked();
    const bool pages = m_documentHistory != nullptr;
    action(Command::Undo)->setEnabled(
        !cropping && (m_editor->canUndo() || (pages && m_documentHistory->canUndo())));
    action(Command::Redo)->setEnabled(
        !cropping && (m_editor->canRedo() || (pages && m_documentHistory->canRedo())));
}
