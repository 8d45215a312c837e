#pragma once

#include "Pix.h"

// Clockwise angle in degrees that straightens the page whose ink (1 bpp) is given; 0 when
// the ink shows no line structure to judge by (blank page, a lone picture).
double findSkewDegrees(PIX *ink, int dpi);

// Rotates clockwise by degrees about the centre, bringing in white. The result is enlarged
// so that no corner is cut: by the same amount for every image of the same size, so the
// rotated images still line up.
PixPtr rotateWithWhiteFill(PIX *pix, double degrees);

// How rotateWithWhiteFill turns a page: its size before and after, and the angle.
struct Rotation
{
    int width = 0;
    int height = 0;
    int rotatedWidth = 0;
    int rotatedHeight = 0;
    double degrees = 0.0;
};

// The rectangle of the page holding every pixel that the rotation carries into area (in the
// rotated image's coordinates), clipped to the page, its corner moved back to multiples of
// alignX and alignY. Empty when area lies wholly outside the page.
PixelRect rotationSource(const Rotation &rotation, const PixelRect &area, int alignX, int alignY);

// area of the rotated page made from part alone: the page's pixels inside source, as found by
// rotationSource (8 bpp grey or 32 bpp colour). Far less work than turning the whole page when
// only its content is kept.
PixPtr rotatePart(PIX *part, const PixelRect &source, const Rotation &rotation,
                  const PixelRect &area);

// The same, drawn straight onto canvas, which is already white, with area's top left corner
// at (canvasX, canvasY): no image of area's size in between.
bool rotatePartOnto(PIX *part, const PixelRect &source, const Rotation &rotation,
                    const PixelRect &area, PIX *canvas, int canvasX, int canvasY);
