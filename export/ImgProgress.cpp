#include "ImgProgress.h"

ImgProgress::ImgProgress(int pageCount, QWidget *parent)
    : PdfProgress(pageCount, tr("Creating images.\nPlease wait."),
                  tr("Writing images.\nPlease wait."), false, parent)
{
}
