#include "DjvuProgress.h"

DjvuProgress::DjvuProgress(int pageCount, QWidget *parent)
    : PdfProgress(pageCount, tr("Creating DjVu file.\nPlease wait."),
                  tr("Writting DjVu file.\nPlease wait."), false, parent)
{
}
