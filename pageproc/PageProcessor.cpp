#include "PageProcessor.h"

#include "Binarize.h"
#include "ContentBox.h"
#include "Gutter.h"
#include "Illumination.h"
#include "Skew.h"

#include <algorithm>
#include <cmath>

namespace {
// Below this tilt the binding leans by less than a millimetre over an A4 spread's height.
constexpr double MinSplitSkew = 0.15;

PixPtr greyCopy(PIX *page)
{
    if (pixGetDepth(page) == 32)
        return PixPtr(pixConvertRGBToLuminance(page));
    return PixPtr(pixClone(page));
}

PixPtr whiteCanvas(PIX *like, int width, int height)
{
    PixPtr canvas(pixCreate(width, height, pixGetDepth(like)));
    if (!canvas)
        return nullptr;
    pixCopySpp(canvas.get(), like);
    pixSetBlackOrWhite(canvas.get(), L_SET_WHITE);
    return canvas;
}

// The part of the deskewed page (in the coordinates of the image enlarged by the rotation)
// that is kept: the page's own size, or the content plus margins.
PixelRect keptArea(const Rotation &rotation, const PixelRect &content, const PageSettings &settings)
{
    if (settings.marginsMm >= 0.0 && !content.isEmpty()) {
        const int margin = millimetresToPixels(settings.marginsMm, settings.dpi);
        return {content.x - margin, content.y - margin, content.width + 2 * margin,
                content.height + 2 * margin};
    }
    return {(rotation.rotatedWidth - rotation.width) / 2,
            (rotation.rotatedHeight - rotation.height) / 2, rotation.width, rotation.height};
}

PixPtr clipped(PIX *pix, const PixelRect &rect)
{
    BOX *box = boxCreate(rect.x, rect.y, rect.width, rect.height);
    PixPtr part(pixClipRectangle(pix, box, nullptr));
    boxDestroy(&box);
    return part;
}

PixPtr resample(PixPtr page, const PageSettings &settings)
{
    if (settings.outputDpi == settings.dpi)
        return page;
    const auto factor = static_cast<l_float32>(settings.outputDpi) / settings.dpi;
    PixPtr scaled(pixScale(page.get(), factor, factor));
    return scaled ? std::move(scaled) : std::move(page);
}
} // namespace

PixPtr processPage(PIX *page, const PageSettings &settings)
{
    // Everything is found on a grey copy; the page's own pixels are only touched where they
    // are kept, in the last turn and cut.
    PixPtr grey = greyCopy(page);
    if (!grey)
        return nullptr;
    const Illumination illumination(grey.get(), settings.dpi);
    PixPtr normalisedGrey = illumination.normalisedGrey();
    if (!normalisedGrey)
        return nullptr;
    PixPtr ink = contentInk(grey.get(), normalisedGrey.get(), settings.dpi);
    if (!ink)
        return nullptr;
    const double skew = findSkewDegrees(ink.get(), settings.dpi);
    PixPtr rotatedInk = rotateWithWhiteFill(ink.get(), skew);
    if (!rotatedInk)
        return nullptr;
    const PixelRect content = findContentBox(rotatedInk.get(), settings.dpi);
    const Rotation rotation{pixGetWidth(page), pixGetHeight(page), pixGetWidth(rotatedInk.get()),
                            pixGetHeight(rotatedInk.get()), skew};
    const PixelRect area = keptArea(rotation, content, settings);
    const bool paintWhite = settings.whiteMargins && !content.isEmpty();
    const PixelRect region = paintWhite ? content : area;

    // Black and white always starts from the normalised grey; grey and colour pages keep their
    // own pixels, with only the paper's lighting corrected when asked.
    PIX *source = settings.blackAndWhite ? normalisedGrey.get() : page;
    const bool normalise = !settings.blackAndWhite && settings.normalizeIllumination;
    const PixelRect needed =
        rotationSource(rotation, region, normalise ? illumination.tileWidth() : 1,
                       normalise ? illumination.tileHeight() : 1);
    PixPtr framed = whiteCanvas(source, area.width, area.height);
    if (!framed)
        return nullptr;
    if (!needed.isEmpty()) {
        PixPtr part =
            normalise ? illumination.normalisePart(source, needed) : clipped(source, needed);
        if (!part || !rotatePartOnto(part.get(), needed, rotation, region, framed.get(),
                                     region.x - area.x, region.y - area.y))
            return nullptr;
    }
    PixPtr result = resample(std::move(framed), settings);
    if (settings.blackAndWhite)
        result = binarize(result.get(), settings.outputDpi);
    if (result)
        pixSetResolution(result.get(), settings.outputDpi, settings.outputDpi);
    return result;
}

SpreadHalves splitSpread(PIX *spread, int dpi)
{
    SpreadHalves halves;
    PixPtr grey = greyCopy(spread);
    if (!grey)
        return halves;
    const Illumination illumination(grey.get(), dpi);
    PixPtr normalisedGrey = illumination.normalisedGrey();
    PixPtr ink = normalisedGrey ? contentInk(grey.get(), normalisedGrey.get(), dpi) : nullptr;
    if (!ink)
        return halves;
    const int width = pixGetWidth(spread);
    const int height = pixGetHeight(spread);
    // A book laid askew has its binding askew too, and no upright cut keeps its pages apart:
    // the spread is straightened first, at its own size, and cut there.
    const double skew = findSkewDegrees(ink.get(), dpi);
    PixPtr straight;
    if (std::fabs(skew) >= MinSplitSkew) {
        PixPtr rotatedInk = rotateWithWhiteFill(ink.get(), skew);
        if (!rotatedInk)
            return halves;
        const Rotation rotation{width, height, pixGetWidth(rotatedInk.get()),
                                pixGetHeight(rotatedInk.get()), skew};
        const PixelRect whole{0, 0, width, height};
        const PixelRect area{(rotation.rotatedWidth - width) / 2,
                             (rotation.rotatedHeight - height) / 2, width, height};
        straight = rotatePart(spread, whole, rotation, area);
        grey = rotatePart(grey.get(), whole, rotation, area);
        ink = clipped(rotatedInk.get(), area);
        if (!straight || !grey || !ink)
            return halves;
    } else {
        straight.reset(pixClone(spread));
    }
    const int gutter = std::clamp(findGutter(grey.get(), ink.get(), dpi), 1, width - 1);
    halves.left = clipped(straight.get(), {0, 0, gutter, height});
    halves.right = clipped(straight.get(), {gutter, 0, width - gutter, height});
    return halves;
}
