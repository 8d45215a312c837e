#pragma once

#include "Pix.h"

#include <string>

// Writes pix as a TIFF named name in folder: 1 bpp with CCITT G4, grey and colour with
// lossless deflate. The file is written under a temporary name in the same folder and
// renamed when complete, so a reader never sees half a page. Returns an empty string on
// success, else one line saying what failed.
std::string writeTiff(PIX *pix, const std::string &folder, const std::string &name);
