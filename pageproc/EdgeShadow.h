#pragma once

#include "Pix.h"

// Shadows and dark borders along the image's edges (the scanner lid, the book's edge, the
// binding's shade on a half spread), found on the page as scanned (8 bpp grey), as a 1 bpp
// mask of the page's size reaching a little beyond the visible shade. Null when there are
// none.
PixPtr findEdgeShadows(PIX *grey, int dpi);
