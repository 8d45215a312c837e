#pragma once

#include "Pix.h"

#include <string>

// A page as read from the input file, in one of the two forms the processing works on.
struct PageImage
{
    // 8 bpp grey, or 32 bpp RGB (three samples) when the input has colour.
    PixPtr pix;
    // Resolution stored in the file; 0 when it has none.
    int storedDpi = 0;
};

struct PageInputResult
{
    PageImage page;
    // Empty on success; otherwise one line saying why the file can't be used.
    std::string error;
};

// Reads any image Leptonica knows (TIFF, PNG, JPEG, BMP, PNM ...). Bilevel, palette and
// 16-bit inputs become grey or colour; an RGB image whose samples are all equal counts as grey.
PageInputResult readPageImage(const std::string &path);
