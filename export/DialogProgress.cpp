#include "DialogProgress.h"

#include "PdfProgress.h"

DialogProgress::DialogProgress(std::unique_ptr<PdfProgress> dialog) : m_dialog(std::move(dialog))
{
    connect(m_dialog.get(), &PdfProgress::cancelled, this, &ExportProgress::cancelled);
}

DialogProgress::~DialogProgress() = default;

void DialogProgress::setCreatingPhase()
{
    m_dialog->setCreatingPhase();
    if (!m_dialog->isVisible())
        m_dialog->open();
}

void DialogProgress::setWritingPhase(int page)
{
    m_dialog->setWritingPhase(page);
}

void DialogProgress::setRecognisingPhase(int page)
{
    m_dialog->setRecognisingPhase(page);
}

void DialogProgress::finish()
{
    m_dialog->finish();
    m_dialog->close();
}

bool DialogProgress::isCancelRequested() const
{
    return m_dialog->isCancelRequested();
}
