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

// Only the plain form of strips; any other (palettes, YCbCr, extra samples, turned
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
// The most pixel bytes one stored byte can give with the file's compression, from each
// code's own limits: a PackBits run, the longest LZW string in one 12-bit code, a deflate
// match of 258 bytes in two bits, a JPEG block of 64 samples in two bits, a fax row in one
// bit. Codes without a known limit get a generous one.
double maxExpansion(TIFF *tiff)
{
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    switch (compression) {
    case COMPRESSION_NONE:
        return 1;
    case COMPRESSION_PACKBITS:
        return 64;
    case COMPRESSION_LZW:
        return 2731;
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
        return 1032;
    case COMPRESSION_JPEG:
    case COMPRESSION_OJPEG:
        return 1024;
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
        return 8.0 * static_cast<double>(TIFFIsTiled(tiff) ? TIFFTileRowSize64(tiff)
                                                           : TIFFScanlineSize64(tiff));
    default:
        return 65536;
    }
}

// Whether the strips or tiles stored in the file, as far as the file really holds them, can
// decode to the pixels the header declares. Checked before any pixel buffer exists, since
// every reader sizes its buffers from the declared size.
bool holdsDeclaredPixels(TIFF *tiff, uint64_t fileSize)
{
    const bool tiled = TIFFIsTiled(tiff);
    const uint32_t pieces = tiled ? TIFFNumberOfTiles(tiff) : TIFFNumberOfStrips(tiff);
    // Every piece takes an entry of the file's offset table.
    if (pieces == 0 || pieces > fileSize)
        return false;
    double needed = 0;
    if (tiled) {
        needed = static_cast<double>(TIFFTileSize64(tiff)) * pieces;
    } else {
        uint32_t height = 0;
        uint16_t planar = PLANARCONFIG_CONTIG, samples = 1;
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
        TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
        TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
        needed = static_cast<double>(TIFFScanlineSize64(tiff)) * height *
                 (planar == PLANARCONFIG_SEPARATE ? samples : 1);
    }
    uint64_t held = 0;
    for (uint32_t piece = 0; piece < pieces; ++piece) {
        const uint64_t offset = TIFFGetStrileOffset(tiff, piece);
        if (offset < fileSize)
            held += std::min(TIFFGetStrileByteCount(tiff, piece), fileSize - offset);
    }
    return needed > 0 && static_cast<double>(held) * maxExpansion(tiff) >= needed;
}

// Any tiled TIFF libtiff can turn into RGBA (grey, palette, 16 bits, every orientation),
// into the page's own buffer: 32 bpp words of the image's width, one per pixel.
bool readTiles(TIFF *tiff, PIX *pix)
{
    const auto width = static_cast<uint32_t>(pixGetWidth(pix));
    const auto height = static_cast<uint32_t>(pixGetHeight(pix));
    l_uint32 *data = pixGetData(pix);
    if (pixGetWpl(pix) != pixGetWidth(pix) ||
        !TIFFReadRGBAImageOriented(tiff, width, height, data, ORIENTATION_TOPLEFT, 1))
        return false;
    const size_t count = static_cast<size_t>(width) * height;
    for (size_t i = 0; i < count; ++i) {
        const l_uint32 rgba = data[i];
        data[i] = (l_uint32(TIFFGetR(rgba)) << L_RED_SHIFT) |
                  (l_uint32(TIFFGetG(rgba)) << L_GREEN_SHIFT) |
                  (l_uint32(TIFFGetB(rgba)) << L_BLUE_SHIFT);
    }
    return true;
}

uint64_t fileSize(const std::string &path)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return 0;
    const bool sought = std::fseek(file, 0, SEEK_END) == 0;
    const long size = sought ? std::ftell(file) : -1;
    std::fclose(file);
    return size > 0 ? static_cast<uint64_t>(size) : 0;
}
} // namespace

TiffInputResult readTiff(const std::string &path)
{
    TiffInputResult result;
    if (!startsLikeTiff(path))
        return result;
    const std::unique_ptr<TIFF, TiffCloser> tiff(TIFFOpen(path.c_str(), "r"));
    uint32_t width = 0, height = 0;
    if (!tiff || !TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height) || width < 1 || height < 1)
        return result;
    if (width > 100000 || height > 100000 || !holdsDeclaredPixels(tiff.get(), fileSize(path))) {
        result.error = "the input file '" + path + "' declares " + std::to_string(width) + " x " +
                       std::to_string(height) + " pixels but holds too little image data for them";
        return result;
    }
    const bool tiled = TIFFIsTiled(tiff.get());
    if (!tiled && !isPlainRgb(tiff.get()))
        return result;
    PixPtr pix(pixCreateNoInit(static_cast<int>(width), static_cast<int>(height), 32));
    if (!pix)
        return result;
    pixSetSpp(pix.get(), 3);
    if (!(tiled ? readTiles(tiff.get(), pix.get()) : readStrips(tiff.get(), pix.get())))
        return result;
    // The resolution as Leptonica's own reader would give it, units and all.
    std::FILE *file = std::fopen(path.c_str(), "rb");
    l_int32 xRes = 0, yRes = 0;
    if (file) {
        if (getTiffResolution(file, &xRes, &yRes) == 0)
            pixSetResolution(pix.get(), xRes, yRes);
        std::fclose(file);
    }
    result.pix = std::move(pix);
    return result;
}
