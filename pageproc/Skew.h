#pragma once

#include "Pix.h"

// Clockwise angle in degrees that straightens the page whose ink (1 bpp) is given; 0 when
// the ink shows no line structure to judge by (blank page, a lone picture).
double findSkewDegrees(PIX *ink, int dpi);

// Rotates clockwise by degrees about the centre, bringing in white. The result is enlarged
// so that no corner is cut: by the same amount for every image of the same size, so the
// rotated images still line up.
PixPtr rotateWithWhiteFill(PIX *pix, double degrees);
