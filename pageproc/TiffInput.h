#pragma once

#include "Pix.h"

#include <string>

struct TiffInputResult
{
    // The page, as 32 bpp RGB with three samples and the file's resolution.
    PixPtr pix;
    // Set when the file is refused outright: no other reader may try it.
    std::string error;
};

// Reads the TIFFs that are ours to read: 8-bit RGB in strips, top row first (what the
// application hands over for a colour scan), and tiled TIFFs of any kind, which Leptonica's
// reader refuses. Every TIFF is first checked to hold enough image data for the pixels it
// declares, so a small file stating a huge size is refused before anything is allocated.
// Neither pix nor error: not a TIFF, or a form left to Leptonica's general reader.
TiffInputResult readTiff(const std::string &path);
