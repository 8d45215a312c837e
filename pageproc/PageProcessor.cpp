#include "PageProcessor.h"

#include "Binarize.h"
#include "ContentBox.h"
#include "Gutter.h"
#include "Illumination.h"
#include "Skew.h"

#include <algorithm>

namespace {
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

// Copies the part of source inside rect onto a white canvas at (x, y), clipping at the
// source's edges.
void paste(PIX *canvas, int x, int y, PIX *source, const PixelRect &rect)
{
    const int left = std::max(0, rect.x);
    const int top = std::max(0, rect.y);
    const int right = std::min(pixGetWidth(source), rect.x + rect.width);
    const int bottom = std::min(pixGetHeight(source), rect.y + rect.height);
    if (right > left && bottom > top)
        pixRasterop(canvas, x + left - rect.x, y + top - rect.y, right - left, bottom - top,
                    PIX_SRC, source, left, top);
}

// The deskewed page (enlarged by the rotation) cut back to the page's own size, to the
// content plus margins, or with everything outside the content painted white.
PixPtr frame(PIX *rotated, const PixelRect &content, int originalWidth, int originalHeight,
             const PageSettings &settings)
{
    const int width = pixGetWidth(rotated);
    const int height = pixGetHeight(rotated);
    const bool crop = settings.marginsMm >= 0.0 && !content.isEmpty();
    const bool paintWhite = settings.whiteMargins && !content.isEmpty();
    PixelRect area{(width - originalWidth) / 2, (height - originalHeight) / 2, originalWidth,
                   originalHeight};
    if (crop) {
        const int margin = millimetresToPixels(settings.marginsMm, settings.dpi);
        area = {content.x - margin, content.y - margin, content.width + 2 * margin,
                content.height + 2 * margin};
    }
    PixPtr framed = whiteCanvas(rotated, area.width, area.height);
    if (!framed)
        return nullptr;
    if (paintWhite) {
        paste(framed.get(), content.x - area.x, content.y - area.y, rotated, content);
    } else {
        paste(framed.get(), 0, 0, rotated, area);
    }
    return framed;
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
    PixPtr grey = greyCopy(page);
    if (!grey)
        return nullptr;
    const Illumination illumination(grey.get(), settings.dpi);
    PixPtr normalisedGrey = illumination.normalisedGrey();
    if (!normalisedGrey)
        return nullptr;
    PixPtr ink = contentInk(normalisedGrey.get(), settings.dpi);
    if (!ink)
        return nullptr;
    const double skew = findSkewDegrees(ink.get(), settings.dpi);

    // The page that is kept: black and white always starts from the normalised grey.
    PixPtr kept;
    if (settings.blackAndWhite || (settings.normalizeIllumination && pixGetDepth(page) == 8))
        kept = std::move(normalisedGrey);
    else if (settings.normalizeIllumination)
        kept = illumination.normalise(page);
    else
        kept.reset(pixClone(page));
    if (!kept)
        return nullptr;

    PixPtr rotated = rotateWithWhiteFill(kept.get(), skew);
    PixPtr rotatedInk = rotateWithWhiteFill(ink.get(), skew);
    if (!rotated || !rotatedInk)
        return nullptr;
    const PixelRect content = findContentBox(rotatedInk.get(), settings.dpi);
    PixPtr framed = frame(rotated.get(), content, pixGetWidth(page), pixGetHeight(page), settings);
    if (!framed)
        return nullptr;
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
    PixPtr ink = normalisedGrey ? contentInk(normalisedGrey.get(), dpi) : nullptr;
    if (!ink)
        return halves;
    const int width = pixGetWidth(spread);
    const int height = pixGetHeight(spread);
    const int gutter = std::clamp(findGutter(grey.get(), ink.get(), dpi), 1, width - 1);
    BOX *left = boxCreate(0, 0, gutter, height);
    BOX *right = boxCreate(gutter, 0, width - gutter, height);
    halves.left.reset(pixClipRectangle(spread, left, nullptr));
    halves.right.reset(pixClipRectangle(spread, right, nullptr));
    boxDestroy(&left);
    boxDestroy(&right);
    return halves;
}
