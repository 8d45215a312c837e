#pragma once

#include <QImage>

class DibBuffer;

// A page image made from a scanner's device-independent bitmap. The pixels are always a
// deep copy, so the image stays valid after the bitmap is given back to the library.
// A bitmap whose header does not fit its block, or whose format cannot be shown, gives a
// null image; receivers skip it. Pure computation; any thread.
class HImage : public QImage
{
public:
    HImage() = default;
    explicit HImage(const DibBuffer &dib);

    // The conversion itself: 8-bit indexed with the bitmap's palette, 16-bit as 5-5-5,
    // 5-6-5 or 4-4-4 by its masks, 24-bit with red and blue in screen order, 32-bit;
    // 1-bit, 4-bit and 48-bit bitmaps are normalised first. Bottom-up bitmaps are turned
    // upright. Resolution from the pixels-per-metre fields.
    static QImage fromDib(const DibBuffer &dib);
};
