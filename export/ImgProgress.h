#pragma once

#include "PdfProgress.h"

// The progress dialog of exporting images; PdfProgress with its own texts. Its creating
// phase keeps an earlier cancel. GUI thread only.
class ImgProgress : public PdfProgress
{
    Q_OBJECT

public:
    ImgProgress(int pageCount, QWidget *parent = nullptr);
};
