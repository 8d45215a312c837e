#include "Illumination.h"

#include <algorithm>
#include <vector>

namespace {
constexpr int Reduction = 4;
// The estimated paper tone is mapped to this value first, then stretched to white; a target
// below 255 keeps the map from clipping on bright spots.
constexpr int BackgroundTarget = 200;

// Every fourth pixel of every fourth row, as Leptonica's rank value with factor 4 takes the
// channels' samples.
constexpr int TintSampling = 4;

// Only what comes out near paper white is lit up: ink and pictures keep their own tones, so
// lighting correction never moves a photograph's colours or a grey's level. Between the two a
// ramp of 64 levels of the corrected brightness, so that a picture's light tones do not band.
constexpr l_uint32 KeptBelow = 176;

l_uint32 keepDark(l_uint32 original, l_uint32 corrected, l_uint32 brightness)
{
    const l_uint32 weight =
        std::min<l_uint32>(64, brightness > KeptBelow ? brightness - KeptBelow : 0);
    return (original * (64 - weight) + corrected * weight + 32) / 64;
}

// The grey map's lift applied to the pixels of the colour or grey page within part.
class ColourLift
{
public:
    ColourLift(PIX *page, PIX *inverseMap, const PixelRect &part, int tileX, int tileY)
        : m_page(page), m_map(inverseMap), m_part(part), m_tileX(tileX), m_tileY(tileY)
    {
    }

    // count pixels of the part's row y, every step-th from its left edge, lifted into out
    // (words for a colour page, bytes for a grey one). With map, the three 256-entry tables
    // (red, green, blue) that take the paper to white, the result is the corrected pixel.
    void row(int y, int step, int count, l_uint32 *out, const l_uint32 *map) const
    {
        const int pageY = m_part.y + y;
        const l_uint32 *mapLine =
            pixGetData(m_map) +
            static_cast<size_t>(std::min(pixGetHeight(m_map) - 1, pageY / m_tileY)) *
                pixGetWpl(m_map);
        const l_uint32 *in = pixGetData(m_page) + static_cast<size_t>(pageY) * pixGetWpl(m_page);
        const bool grey = pixGetDepth(m_page) == 8;
        const int lastTile = pixGetWidth(m_map) - 1;
        // The lift changes only at tile edges: no division per pixel.
        int tile = std::min(lastTile, m_part.x / m_tileX);
        int nextEdge = (tile + 1) * m_tileX - m_part.x;
        l_uint32 lift = GET_DATA_TWO_BYTES(mapLine, tile);
        for (int i = 0, x = 0; i < count; ++i, x += step) {
            if (x >= nextEdge) {
                tile = std::min(lastTile, (m_part.x + x) / m_tileX);
                nextEdge = (tile + 1) * m_tileX - m_part.x;
                lift = GET_DATA_TWO_BYTES(mapLine, tile);
            }
            if (grey) {
                const l_uint32 value = GET_DATA_BYTE(in, m_part.x + x);
                const l_uint32 lifted = std::min<l_uint32>(255, value * lift / 256);
                SET_DATA_BYTE(out, i, map ? keepDark(value, map[lifted], map[lifted]) : lifted);
                continue;
            }
            const l_uint32 pixel = in[m_part.x + x];
            const l_uint32 red = (pixel >> L_RED_SHIFT) & 0xff;
            const l_uint32 green = (pixel >> L_GREEN_SHIFT) & 0xff;
            const l_uint32 blue = (pixel >> L_BLUE_SHIFT) & 0xff;
            l_uint32 newRed = std::min<l_uint32>(255, red * lift / 256);
            l_uint32 newGreen = std::min<l_uint32>(255, green * lift / 256);
            l_uint32 newBlue = std::min<l_uint32>(255, blue * lift / 256);
            if (map) {
                newRed = map[newRed];
                newGreen = map[256 + newGreen];
                newBlue = map[512 + newBlue];
                const l_uint32 luminance = (77 * newRed + 150 * newGreen + 29 * newBlue) >> 8;
                newRed = keepDark(red, newRed, luminance);
                newGreen = keepDark(green, newGreen, luminance);
                newBlue = keepDark(blue, newBlue, luminance);
            }
            out[i] =
                (newRed << L_RED_SHIFT) | (newGreen << L_GREEN_SHIFT) | (newBlue << L_BLUE_SHIFT);
        }
    }

private:
    PIX *m_page;
    PIX *m_map;
    PixelRect m_part;
    int m_tileX;
    int m_tileY;
};

// Tables (red, green, blue, 256 entries each) taking each channel's paper, its median on
// sample (none: the target tone), to white; black stays black, so no tone is clipped below
// the paper. Empty when out of memory.
std::vector<l_uint32> paperToWhite(PIX *sample)
{
    l_int32 channels[3] = {BackgroundTarget, BackgroundTarget, BackgroundTarget};
    const l_int32 colours[3] = {COLOR_RED, COLOR_GREEN, COLOR_BLUE};
    for (int c = 0; c < 3 && sample; ++c) {
        PixPtr channel(pixScaleRGBToGrayFast(sample, 1, colours[c]));
        l_float32 median = 0.0f;
        if (channel && pixGetRankValueMasked(channel.get(), nullptr, 0, 0, TintSampling, 0.5f,
                                             &median, nullptr) == 0)
            channels[c] = lept_roundftoi(median);
    }
    NumaPtr maps[3];
    for (int c = 0; c < 3; ++c) {
        const int paper = std::clamp(channels[c], BackgroundTarget * 3 / 4, 255);
        const int white = paper * (BackgroundTarget - 10) / BackgroundTarget;
        maps[c].reset(numaGammaTRC(1.0f, 0, white));
    }
    // The tables are read back from Leptonica's own mapping of every value.
    PixPtr ramp(pixCreate(256, 1, 32));
    if (!maps[0] || !maps[1] || !maps[2] || !ramp)
        return {};
    for (l_uint32 v = 0; v < 256; ++v)
        pixGetData(ramp.get())[v] = (v << L_RED_SHIFT) | (v << L_GREEN_SHIFT) | (v << L_BLUE_SHIFT);
    if (pixTRCMapGeneral(ramp.get(), nullptr, maps[0].get(), maps[1].get(), maps[2].get()) != 0)
        return {};
    std::vector<l_uint32> tables(3 * 256);
    for (int v = 0; v < 256; ++v) {
        const l_uint32 mapped = pixGetData(ramp.get())[v];
        tables[v] = (mapped >> L_RED_SHIFT) & 0xff;
        tables[256 + v] = (mapped >> L_GREEN_SHIFT) & 0xff;
        tables[512 + v] = (mapped >> L_BLUE_SHIFT) & 0xff;
    }
    return tables;
}
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

PixPtr Illumination::normalisePart(PIX *page, const PixelRect &part) const
{
    if (!m_inverseMap) {
        BOX *box = boxCreate(part.x, part.y, part.width, part.height);
        PixPtr copy(pixClipRectangle(page, box, nullptr));
        boxDestroy(&box);
        return copy;
    }
    // The grey map lifts every channel alike, which is all the lighting does. The paper's
    // tint is measured on a sample of lifted pixels first, so that lifting and taking each
    // channel's paper to white are one pass over the part, read straight from the page.
    const ColourLift lift(page, m_inverseMap.get(), part, m_tileX, m_tileY);
    const bool colour = pixGetDepth(page) == 32;
    PixPtr sample;
    if (colour && part.width >= TintSampling && part.height >= TintSampling) {
        sample.reset(pixCreate(part.width / TintSampling, part.height / TintSampling, 32));
        if (!sample)
            return nullptr;
        for (int y = 0; y < pixGetHeight(sample.get()); ++y)
            lift.row(y * TintSampling, TintSampling, pixGetWidth(sample.get()),
                     pixGetData(sample.get()) + static_cast<size_t>(y) * pixGetWpl(sample.get()),
                     nullptr);
    }
    const std::vector<l_uint32> toWhite = paperToWhite(sample.get());
    if (toWhite.empty())
        return nullptr;
    PixPtr normalised(pixCreateNoInit(part.width, part.height, pixGetDepth(page)));
    if (!normalised)
        return nullptr;
    pixCopySpp(normalised.get(), page);
    for (int y = 0; y < part.height; ++y)
        lift.row(y, 1, part.width,
                 pixGetData(normalised.get()) +
                     static_cast<size_t>(y) * pixGetWpl(normalised.get()),
                 toWhite.data());
    return normalised;
}
