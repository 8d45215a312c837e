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

Illumination::Illumination(PIX *grey, int dpi)
    // Tiles of about 0.85 x 1.3 mm, each needing a third of its pixels to be paper.
    : m_grey(grey), m_tileX(std::max(4, dpi / 30)), m_tileY(std::max(4, dpi / 20))
{
    l_uint32 paper = 255;
    if (pixGetRankValue(grey, 4, 0.9f, &paper) == 0)
        m_paper = std::max(32, static_cast<int>(paper));
    // Photographs and drawings are left out when the paper tone is estimated, or a dark
    // picture would be taken for dim paper and washed out.
    PixPtr pictures = findPictureRegions(grey, dpi, m_paper);
    // Anything darker than half the paper tone is ink, never paper.
    const int inkBelow = std::clamp(m_paper / 2, 24, 160);
    PIX *map = nullptr;
    if (pixGetBackgroundGrayMap(grey, pictures.get(), m_tileX, m_tileY, inkBelow,
                                m_tileX * m_tileY / 3, &map) == 0 &&
        map) {
        PixPtr background(map);
        m_inverseMap.reset(pixGetInvBackgroundMap(background.get(), BackgroundTarget, 2, 1));
    }
}

PixPtr Illumination::normalisedGrey() const
{
    PixPtr normalised(
        m_inverseMap ? pixApplyInvBackgroundGrayMap(m_grey, m_inverseMap.get(), m_tileX, m_tileY)
                     : nullptr);
    if (!normalised)
        return PixPtr(pixCopy(nullptr, m_grey));
    // Paper (BackgroundTarget) to white, faint toner to black.
    pixGammaTRC(normalised.get(), normalised.get(), 1.0f, 40, BackgroundTarget - 10);
    return normalised;
}

PixPtr Illumination::normaliseColour(PIX *part, int x, int y) const
{
    if (!m_inverseMap)
        return PixPtr(pixCopy(nullptr, part));
    // The grey map lifts every channel alike, which is all the lighting does; one pass over
    // the colour pixels instead of a map per channel.
    const int columns = (pixGetWidth(part) + m_tileX - 1) / m_tileX;
    const int rows = (pixGetHeight(part) + m_tileY - 1) / m_tileY;
    BOX *box = boxCreate(x / m_tileX, y / m_tileY, columns, rows);
    PixPtr map(pixClipRectangle(m_inverseMap.get(), box, nullptr));
    boxDestroy(&box);
    PixPtr normalised(
        map ? pixApplyInvBackgroundRGBMap(part, map.get(), map.get(), map.get(), m_tileX, m_tileY)
            : nullptr);
    if (!normalised)
        return PixPtr(pixCopy(nullptr, part));
    // Each channel's paper to white, so tinted paper comes out white as well.
    l_uint32 tint = 0;
    l_int32 channels[3] = {BackgroundTarget, BackgroundTarget, BackgroundTarget};
    if (pixGetRankValue(normalised.get(), 4, 0.5f, &tint) == 0)
        extractRGBValues(tint, &channels[0], &channels[1], &channels[2]);
    NumaPtr maps[3];
    for (int c = 0; c < 3; ++c) {
        const int paper = std::clamp(channels[c], BackgroundTarget * 3 / 4, 255);
        const int white = paper * (BackgroundTarget - 10) / BackgroundTarget;
        maps[c].reset(numaGammaTRC(1.0f, white * 40 / BackgroundTarget, white));
    }
    if (maps[0] && maps[1] && maps[2])
        pixTRCMapGeneral(normalised.get(), nullptr, maps[0].get(), maps[1].get(), maps[2].get());
    return normalised;
}
