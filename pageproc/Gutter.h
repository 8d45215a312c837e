#pragma once

#include "Pix.h"

// Column where a two-page spread (upright, pages side by side) divides: the band between
// the two pages' contents near the middle, at its most shaded column when the binding
// casts a shadow. grey is the page as scanned (8 bpp), ink its content ink (1 bpp).
int findGutter(PIX *grey, PIX *ink, int dpi);
