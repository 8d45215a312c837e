#pragma once

#include "DibBuffer.h"

#include <optional>

class DibView;

// Turns the bitmaps the image conversion cannot take directly (fewer than 8 or more than
// 32 bits per pixel) into 8-bit grey-palette or 24-bit bitmaps, stored bottom-up with the
// source's pixels-per-metre. Pure computation on checked views; any thread.
class DibNormaliser
{
public:
    // 1 bit and run-length 4 bit -> 8 bit; plain 4 bit and 48 bit -> 24 bit.
    // Nothing for any other source (64 or 96 bits, for instance) or a broken run-length stream.
    static std::optional<DibBuffer> normalise(const DibView &source);

private:
    static std::optional<DibBuffer> fromOneBit(const DibView &source);
    static std::optional<DibBuffer> fromRunLength4(const DibView &source);
    static std::optional<DibBuffer> fromFourBit(const DibView &source);
    static std::optional<DibBuffer> fromFortyEightBit(const DibView &source);
};
