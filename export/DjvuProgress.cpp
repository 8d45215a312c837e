#include "DjvuProgress.h"

DjvuProgress::DjvuProgress(int pageCount, QWidget *parent)
    : PdfProgress(pageCount, tr("Creating DjVu file.\nPlease wait."),
                  tr("Writing DjVu file.\nPlease wait."), false, parent)
{
}
