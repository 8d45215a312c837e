#pragma once

#include "Pix.h"

// Photographs and drawings of an 8 bpp grey page whose paper has the tone paper: solid
// regions clearly darker than paper and wider than any letter stroke, as a 1 bpp mask of
// the page's size. Null when there are none.
PixPtr findPictureRegions(PIX *grey, int dpi, int paper);

// Paper tone and uneven lighting, estimated from an 8 bpp grey copy of the page.
class Illumination
{
public:
    Illumination(PIX *grey, int dpi);

    // The grey page with its paper brought to white and the ink to full black.
    PixPtr normalisedGrey() const;
    // The same correction for the page itself (8 bpp grey or 32 bpp colour); grey is the
    // grey copy given to the constructor.
    PixPtr normalise(PIX *page) const;

private:
    PIX *m_grey;
    int m_dpi;
    int m_paper = 255;
    // Photographs and drawings: left out when the paper tone is estimated, or a dark picture
    // would be taken for dim paper and washed out. May be null.
    PixPtr m_pictures;
};
