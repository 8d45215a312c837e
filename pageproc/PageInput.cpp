#include "PageInput.h"

#include "TiffInput.h"

#include <cstdio>
#include <cstdlib>

namespace {
// True when no sampled pixel has visibly different red, green and blue.
bool looksGrey(PIX *rgb)
{
    const int width = pixGetWidth(rgb);
    const int height = pixGetHeight(rgb);
    const int wpl = pixGetWpl(rgb);
    const l_uint32 *data = pixGetData(rgb);
    for (int y = 0; y < height; y += 3) {
        const l_uint32 *line = data + y * wpl;
        for (int x = 0; x < width; x += 3) {
            l_int32 r, g, b;
            extractRGBValues(line[x], &r, &g, &b);
            if (std::abs(r - g) > 3 || std::abs(g - b) > 3)
                return false;
        }
    }
    return true;
}

PixPtr toGreyOrColour(PIX *source)
{
    PixPtr pix(pixClone(source));
    if (pixGetColormap(pix.get()))
        pix.reset(pixRemoveColormap(pix.get(), REMOVE_CMAP_BASED_ON_SRC));
    if (!pix)
        return nullptr;
    const int depth = pixGetDepth(pix.get());
    if (depth == 16)
        pix.reset(pixConvert16To8(pix.get(), L_MS_BYTE));
    else if (depth < 8)
        pix.reset(pixConvertTo8(pix.get(), 0));
    else if (depth == 24)
        pix.reset(pixConvert24To32(pix.get()));
    if (!pix)
        return nullptr;
    if (pixGetDepth(pix.get()) == 32) {
        if (pixGetSpp(pix.get()) == 4)
            pix.reset(pixRemoveAlpha(pix.get()));
        if (!pix)
            return nullptr;
        pixSetSpp(pix.get(), 3);
        if (looksGrey(pix.get()))
            pix.reset(pixConvertRGBToLuminance(pix.get()));
    }
    return pix;
}
} // namespace

PageInputResult readPageImage(const std::string &path)
{
    PageInputResult result;
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) {
        result.error = "can't open the input file '" + path + "'";
        return result;
    }
    std::fclose(file);

    // A colour TIFF, the usual hand-over, is read directly: Leptonica builds it pixel by pixel.
    // Tiled TIFFs too, which Leptonica cannot read.
    TiffInputResult tiff = readTiff(path);
    if (!tiff.error.empty()) {
        result.error = tiff.error;
        return result;
    }
    PixPtr read = std::move(tiff.pix);
    if (!read)
        read.reset(pixRead(path.c_str()));
    if (!read || pixGetWidth(read.get()) < 1 || pixGetHeight(read.get()) < 1) {
        result.error = "the input file '" + path + "' is not an image that can be read";
        return result;
    }
    result.page.storedDpi = pixGetXRes(read.get());
    result.page.pix = toGreyOrColour(read.get());
    if (!result.page.pix)
        result.error = "the input file '" + path + "' has an image form that is not supported";
    return result;
}
