#pragma once

#include "PdfProgress.h"

// The progress dialog of exporting the Word document; PdfProgress with its own texts. Its creating
// phase keeps an earlier cancel. GUI thread only.
class WordProgress : public PdfProgress
{
    Q_OBJECT

public:
    WordProgress(int pageCount, QWidget *parent = nullptr);
};
