#pragma once

#include "PdfLayout.h"

#include <QString>

// How the pages of a PDF are laid out, as the PDF dialog edits them and the settings store
// keeps them (PaperSize, Orientation, Scale, ByCenter, Left, Right, Top, Bottom), with the
// text recognition that goes with them (RecogniseText, RecognitionLanguages).
// Any thread; reading and writing go to the settings store at once.
class PdfPageOptions
{
public:
    enum Orientation
    {
        Portrait = 0,
        Landscape = 1
    };

    static PdfPageOptions read();
    void write() const;

    bool isLandscape() const { return orientation == Landscape; }

    int paperId = 0;
    int orientation = Portrait;
    int scaleMode = PdfLayout::ByDpi;
    bool centred = true;
    PdfLayout::Margins margins;
    bool recognise = false;
    QString languages; // as "eng+rus"
    // Smallest files: colour and grey pages as text mask over a reduced background
    // (MixedRaster), pictures kept at pictureLevel (a MixedRaster::PictureLevel).
    bool compact = false;
    int pictureLevel = 1;
};
