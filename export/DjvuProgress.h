#pragma once

#include "PdfProgress.h"

// The progress dialog of exporting the DjVu file; PdfProgress with its own texts. Its creating
// phase keeps an earlier cancel. GUI thread only.
class DjvuProgress : public PdfProgress
{
    Q_OBJECT

public:
    DjvuProgress(int pageCount, QWidget *parent = nullptr);
};
