#pragma once

#include "PageSettings.h"
#include "Pix.h"

// One page through the whole cleaning: deskew, illumination, content box and margins,
// resampling and colour mode. page is 8 bpp grey or 32 bpp colour; the result is 1 bpp in
// black-and-white mode, else of the page's own kind, carrying the output resolution.
PixPtr processPage(PIX *page, const PageSettings &settings);

// A two-page spread, upright, split at its gutter into the left and the right page.
struct SpreadHalves
{
    PixPtr left;
    PixPtr right;
};
SpreadHalves splitSpread(PIX *spread, int dpi);
