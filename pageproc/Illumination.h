#pragma once

#include "Pix.h"

// Photographs and drawings of an 8 bpp grey page whose paper has the tone paper: solid
// regions clearly darker than paper and wider than any letter stroke, as a 1 bpp mask of
// the page's size. Null when there are none.
PixPtr findPictureRegions(PIX *grey, int dpi, int paper);

// Paper tone and uneven lighting, estimated once from an 8 bpp grey copy of the page and
// applied to the grey copy or to the colour page alike.
class Illumination
{
public:
    Illumination(PIX *grey, int dpi);

    // The grey page with its paper brought to white and the ink to full black, for finding
    // the content and for black and white.
    PixPtr normalisedGrey() const;
    // Part of the page as it is kept in grey (8 bpp) or colour (32 bpp), as a new image of
    // part's size: the paper white, its tint gone, while ink and pictures keep their tones.
    // part must lie within the page.
    PixPtr normalisePart(PIX *page, const PixelRect &part) const;
    int tileWidth() const { return m_tileX; }
    int tileHeight() const { return m_tileY; }

private:
    PIX *m_grey;
    int m_paper = 255;
    int m_tileX;
    int m_tileY;
    // How much to lift each tile's paper to the target; null when the page has too little
    // paper to measure, and then it is left as it is.
    PixPtr m_inverseMap;
};
