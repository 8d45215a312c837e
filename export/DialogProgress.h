#pragma once

#include "ExportProgress.h"

#include <memory>

class PdfProgress;

// The window's side of ExportProgress: drives one of the progress dialogs (PdfProgress and its
// kin), which it owns and opens at the creating phase. GUI thread only.
class DialogProgress : public ExportProgress
{
    Q_OBJECT

public:
    explicit DialogProgress(std::unique_ptr<PdfProgress> dialog);
    ~DialogProgress() override;

    void setCreatingPhase() override;
    void setWritingPhase(int page) override;
    void setRecognisingPhase(int page) override;
    // Lets the dialog close, and closes it.
    void finish() override;
    bool isCancelRequested() const override;

private:
    std::unique_ptr<PdfProgress> m_dialog;
};
