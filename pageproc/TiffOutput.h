#pragma once

#include "Pix.h"

#include <string>

// Writes pix as a TIFF named name in folder: 1 bpp with CCITT G4, grey and colour with
// lossless deflate. The page is encoded in memory, written under a temporary name in the
// same folder with every write, the flush to disk and the close checked, its header read
// back from the disk, and only then renamed, so a reader never sees half a page and a full
// disk is never taken for success. On failure nothing is left behind. Returns an empty
// string on success, else one line saying what failed.
std::string writeTiff(PIX *pix, const std::string &folder, const std::string &name);
