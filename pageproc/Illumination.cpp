#include "Illumination.h"

#include <algorithm>

namespace {
constexpr int Reduction = 4;
// The estimated paper tone is mapped to this value first, then stretched to white; a target
// below 255 keeps the map from clipping on bright spots.
constexpr int BackgroundTarget = 200;
} // namespace

PixPtr findPictureRegions(PIX *grey, int dpi, int paper)
{
    PixPtr small(pixScaleAreaMap(grey, 1.0f / Reduction, 1.0f / Reduction));
    if (!small)
        return nullptr;
    PixPtr dark(pixThresholdToBinary(small.get(), paper * 3 / 4));
    if (!dark)
        return nullptr;
    const int smallDpi = std::max(1, dpi / Reduction);
    // Text strokes and lines vanish under a 4 mm opening; pictures stay.
    const int open = std::max(3, millimetresToPixels(4.0, smallDpi)) | 1;
    const int grow = std::max(1, millimetresToPixels(1.5, smallDpi)) | 1;
    PixPtr solid(pixOpenBrick(nullptr, dark.get(), open, open));
    if (!solid)
        return nullptr;
    pixDilateBrick(solid.get(), solid.get(), grow, grow);
    l_int32 empty = 1;
    pixZero(solid.get(), &empty);
    if (empty)
        return nullptr;
    // The paper must stay visible somewhere, or there is nothing to measure it on.
    l_int32 covered = 0;
    pixCountPixels(solid.get(), &covered, nullptr);
    if (covered > pixGetWidth(solid.get()) * pixGetHeight(solid.get()) * 85 / 100)
        return nullptr;
    return PixPtr(pixScaleToSize(solid.get(), pixGetWidth(grey), pixGetHeight(grey)));
}

Illumination::Illumination(PIX *grey, int dpi) : m_grey(grey), m_dpi(dpi)
{
    l_uint32 paper = 255;
    if (pixGetRankValue(grey, 4, 0.9f, &paper) == 0)
        m_paper = std::max(32, static_cast<int>(paper));
    m_pictures = findPictureRegions(grey, dpi, m_paper);
}

PixPtr Illumination::normalisedGrey() const
{
    return normalise(m_grey);
}

PixPtr Illumination::normalise(PIX *page) const
{
    // Tiles of about 0.85 x 1.3 mm, each needing a third of its pixels to be paper.
    const int tileX = std::max(4, m_dpi / 30);
    const int tileY = std::max(4, m_dpi / 20);
    // Anything darker than half the paper tone is ink, never paper.
    const int inkBelow = std::clamp(m_paper / 2, 24, 160);
    PixPtr normalised(pixBackgroundNorm(page, m_pictures.get(), m_grey, tileX, tileY, inkBelow,
                                        tileX * tileY / 3, BackgroundTarget, 2, 1));
    if (!normalised)
        return PixPtr(pixCopy(nullptr, page));
    // Paper (BackgroundTarget) to white, faint toner to black.
    pixGammaTRC(normalised.get(), normalised.get(), 1.0f, 40, BackgroundTarget - 10);
    return normalised;
}
