#include "WordProgress.h"

WordProgress::WordProgress(int pageCount, QWidget *parent)
    : PdfProgress(pageCount, tr("Creating MS Word document.\nPlease wait."),
                  tr("Writing MS Word document.\nPlease wait."), false, parent)
{
}
