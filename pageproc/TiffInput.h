#pragma once

#include "Pix.h"

#include <string>

// Reads a TIFF of 8-bit RGB in strips, top row first (what the application hands over for a
// colour scan), as 32 bpp RGB with three samples and the file's resolution. Null for any
// other file or form, which is then left to Leptonica's general reader.
PixPtr readRgbTiff(const std::string &path);
