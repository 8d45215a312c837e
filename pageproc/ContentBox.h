#pragma once

#include "Pix.h"

// Ink of a page that can be content, as 1 bpp from its normalised grey: dark regions that
// touch the image edge (scanner lid, the book's edge, shadows), whatever marks noise leaves
// in a shade along an edge (found on grey, the page as scanned), and marks inside a thin
// strip along the edges are gone.
PixPtr contentInk(PIX *grey, PIX *normalisedGrey, int dpi);

// The box around text and pictures, leaving out specks of dust far from them. Empty when
// the page holds nothing.
PixelRect findContentBox(PIX *ink, int dpi);
