#include "TiffInput.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {
struct TiffCloser
{
    void operator()(TIFF *tiff) const { TIFFClose(tiff); }
};

bool startsLikeTiff(const std::string &path)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    unsigned char magic[4] = {};
    const bool read = std::fread(magic, 1, 4, file) == 4;
    std::fclose(file);
    return read && ((magic[0] == 'I' && magic[1] == 'I' && magic[2] == 42 && magic[3] == 0) ||
                    (magic[0] == 'M' && magic[1] == 'M' && magic[2] == 0 && magic[3] == 42));
}

// Only the plain form; anything else (palettes, YCbCr, tiles, extra samples, turned
// orientation, 16 bits) goes the general way.
bool isPlainRgb(TIFF *tiff)
{
    uint16_t bits = 0, samples = 0, photometric = 0, planar = PLANARCONFIG_CONTIG;
    uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    return !TIFFIsTiled(tiff) && TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits) && bits == 8 &&
           TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples) && samples == 3 &&
           TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) &&
           photometric == PHOTOMETRIC_RGB && planar == PLANARCONFIG_CONTIG &&
           orientation == ORIENTATION_TOPLEFT;
}

bool readStrips(TIFF *tiff, PIX *pix)
{
    const auto width = static_cast<uint32_t>(pixGetWidth(pix));
    const auto height = static_cast<uint32_t>(pixGetHeight(pix));
    uint32_t rowsPerStrip = height;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    rowsPerStrip = std::max<uint32_t>(1, std::min(rowsPerStrip, height));
    const tmsize_t rowBytes = static_cast<tmsize_t>(width) * 3;
    if (TIFFScanlineSize(tiff) != rowBytes || TIFFStripSize(tiff) < rowBytes)
        return false;
    std::vector<l_uint8> strip(static_cast<size_t>(TIFFStripSize(tiff)));
    l_uint32 *data = pixGetData(pix);
    const int wpl = pixGetWpl(pix);
    for (uint32_t top = 0; top < height; top += rowsPerStrip) {
        const uint32_t rows = std::min(rowsPerStrip, height - top);
        const tmsize_t wanted = rowBytes * rows;
        if (TIFFReadEncodedStrip(tiff, TIFFComputeStrip(tiff, top, 0), strip.data(), wanted) !=
            wanted)
            return false;
        for (uint32_t y = 0; y < rows; ++y) {
            const l_uint8 *in = strip.data() + static_cast<size_t>(y) * rowBytes;
            l_uint32 *out = data + static_cast<size_t>(top + y) * wpl;
            for (uint32_t x = 0; x < width; ++x, in += 3)
                out[x] = (l_uint32(in[0]) << L_RED_SHIFT) | (l_uint32(in[1]) << L_GREEN_SHIFT) |
                         (l_uint32(in[2]) << L_BLUE_SHIFT);
        }
    }
    return true;
}
} // namespace

PixPtr readRgbTiff(const std::string &path)
{
    if (!startsLikeTiff(path))
        return nullptr;
    const std::unique_ptr<TIFF, TiffCloser> tiff(TIFFOpen(path.c_str(), "r"));
    uint32_t width = 0, height = 0;
    if (!tiff || !isPlainRgb(tiff.get()) || !TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height) || width < 1 || height < 1 ||
        width > 100000 || height > 100000)
        return nullptr;
    PixPtr pix(pixCreateNoInit(static_cast<int>(width), static_cast<int>(height), 32));
    if (!pix)
        return nullptr;
    pixSetSpp(pix.get(), 3);
    if (!readStrips(tiff.get(), pix.get()))
        return nullptr;
    // The resolution as Leptonica's own reader would give it, units and all.
    std::FILE *file = std::fopen(path.c_str(), "rb");
    l_int32 xRes = 0, yRes = 0;
    if (file) {
        if (getTiffResolution(file, &xRes, &yRes) == 0)
            pixSetResolution(pix.get(), xRes, yRes);
        std::fclose(file);
    }
    return pix;
}
