#pragma once

#include "Pix.h"

// 1 bpp page from a grey page whose paper has already been brought to white: a threshold
// that follows the local contrast (Sauvola), so faint strokes next to bold ones survive. Pictures
// are dithered.
PixPtr binarize(PIX *normalisedGrey, int dpi);
