#include "Binarize.h"

#include "Illumination.h"

#include <algorithm>

namespace {
// Weight of the local contrast in the threshold; Sauvola's usual range is 0.2 to 0.5.
constexpr float ContrastWeight = 0.34f;
// Grey level under which a pixel is black whatever its surroundings: large solid areas
// have no local contrast at all.
constexpr int AlwaysBlack = 100;
// Tiles keep the integral images of a large page small.
constexpr int TileRows = 4;
} // namespace

PixPtr binarize(PIX *normalisedGrey, int dpi)
{
    const int width = pixGetWidth(normalisedGrey);
    const int height = pixGetHeight(normalisedGrey);
    // A window of about 4 mm: wider than a letter, narrower than a shadow.
    const int halfWindow = std::max(2, millimetresToPixels(2.0, dpi));
    const int rows = std::clamp(height / (8 * halfWindow + 8), 1, TileRows);
    PIX *sauvola = nullptr;
    if (width < 2 * halfWindow + 3 || height < 2 * halfWindow + 3 ||
        pixSauvolaBinarizeTiled(normalisedGrey, halfWindow, ContrastWeight, 1, rows, nullptr,
                                &sauvola) != 0 ||
        !sauvola)
        return PixPtr(pixThresholdToBinary(normalisedGrey, 128));
    PixPtr black(pixThresholdToBinary(normalisedGrey, AlwaysBlack));
    PixPtr result(sauvola);
    if (black)
        pixOr(result.get(), result.get(), black.get());
    // Pictures keep their shades as a dot pattern instead of breaking into black and white.
    PixPtr pictures = findPictureRegions(normalisedGrey, dpi, 255);
    PixPtr dithered(pictures ? pixDitherToBinary(normalisedGrey) : nullptr);
    if (dithered)
        pixCombineMasked(result.get(), dithered.get(), pictures.get());
    return result;
}
