#pragma once

#include "Pix.h"

#include <vector>

// Encodes an 8 bpp grey or 32 bpp RGB page as a deflate TIFF with horizontal differencing,
// in memory. Packing, differencing and deflating are done strip by strip by libdeflate's
// fastest level, which on a noisy scan packs tighter than zlib's level 6 without the
// predictor, in a fraction of the time.
// False (and encoded left empty) for any other kind of pix or when encoding fails.
bool encodeDeflateTiff(PIX *pix, std::vector<l_uint8> &encoded);
