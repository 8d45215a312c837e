#include "EdgeShadow.h"

#include <algorithm>

namespace {
// The search runs at about this resolution, where sensor noise has averaged out.
constexpr int SearchDpi = 38;
// How much darker than the surrounding paper (grey levels) a shade must be.
constexpr int MinShade = 32;

// Odd size in pixels of about millimetres at dpi, at least minimum.
int oddPixels(double millimetres, int dpi, int minimum)
{
    return std::max(minimum, millimetresToPixels(millimetres, dpi)) | 1;
}

// The parts of mask reached from the given edges (left and right, or top and bottom).
PixPtr reachedFromEdges(PIX *mask, bool sides)
{
    const int width = pixGetWidth(mask);
    const int height = pixGetHeight(mask);
    PixPtr seed(pixCreateTemplate(mask));
    if (!seed)
        return nullptr;
    if (sides) {
        pixRasterop(seed.get(), 0, 0, 1, height, PIX_SRC, mask, 0, 0);
        pixRasterop(seed.get(), width - 1, 0, 1, height, PIX_SRC, mask, width - 1, 0);
    } else {
        pixRasterop(seed.get(), 0, 0, width, 1, PIX_SRC, mask, 0, 0);
        pixRasterop(seed.get(), 0, height - 1, width, 1, PIX_SRC, mask, 0, height - 1);
    }
    pixSeedfillBinary(seed.get(), seed.get(), mask, 4);
    return seed;
}
} // namespace

PixPtr findEdgeShadows(PIX *grey, int dpi)
{
    const int reduction = std::max(1, dpi / SearchDpi);
    const int smallDpi = std::max(1, dpi / reduction);
    PixPtr small(reduction > 1 ? pixScaleAreaMap(grey, 1.0f / reduction, 1.0f / reduction)
                               : pixCopy(nullptr, grey));
    if (!small || pixGetWidth(small.get()) < 8 || pixGetHeight(small.get()) < 8)
        return nullptr;
    // The paper around every point: a closing wider than any shadow fills text, pictures and
    // shades with the paper beside them, while lamp light falling off across the page stays.
    const int paperSize = oddPixels(40.0, smallDpi, 3);
    PixPtr paper(pixCloseGray(small.get(), paperSize, paperSize));
    if (!paper)
        return nullptr;
    PixPtr shade(pixSubtractGray(nullptr, paper.get(), small.get()));
    PixPtr dark(shade ? pixThresholdToBinary(shade.get(), MinShade) : nullptr);
    if (!dark)
        return nullptr;
    pixInvert(dark.get(), dark.get());
    // Lines of text are a few millimetres tall and apart: an opening across them leaves only
    // solid shade, along the sides for the side edges and along the top and bottom for those.
    const int solid = oddPixels(8.0, smallDpi, 3);
    PixPtr upright(pixOpenBrick(nullptr, dark.get(), 1, solid));
    PixPtr lying(pixOpenBrick(nullptr, dark.get(), solid, 1));
    if (!upright || !lying)
        return nullptr;
    PixPtr mask = reachedFromEdges(upright.get(), true);
    PixPtr topAndBottom = reachedFromEdges(lying.get(), false);
    if (!mask || !topAndBottom)
        return nullptr;
    pixOr(mask.get(), mask.get(), topAndBottom.get());
    l_int32 empty = 1;
    pixZero(mask.get(), &empty);
    if (empty)
        return nullptr;
    // The shade's faint outer edge, where noise still crosses the ink threshold.
    const int grow = oddPixels(1.5, smallDpi, 3);
    pixDilateBrick(mask.get(), mask.get(), grow, grow);
    return PixPtr(pixScaleToSize(mask.get(), pixGetWidth(grey), pixGetHeight(grey)));
}
