#include "DeflateTiff.h"

#include <libdeflate.h>
#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace {
// Strips of about 256 KiB: small enough to pack in a reused buffer, large enough that
// per-strip overhead does not count.
constexpr tmsize_t StripBytes = 256 * 1024;
// With horizontal differencing, level 1 already packs a noisy scan tighter than level 6
// without it, at a fraction of the time.
constexpr int DeflateLevel = 1;

// A growing file in memory for libtiff's client interface.
struct MemoryFile
{
    std::vector<l_uint8> &bytes;
    toff_t position = 0;
};

MemoryFile &memoryFile(thandle_t handle)
{
    return *static_cast<MemoryFile *>(handle);
}

tmsize_t readMemory(thandle_t handle, void *data, tmsize_t size)
{
    MemoryFile &file = memoryFile(handle);
    if (size < 0 || file.position >= file.bytes.size())
        return 0;
    const auto count =
        std::min<toff_t>(static_cast<toff_t>(size), file.bytes.size() - file.position);
    std::memcpy(data, file.bytes.data() + file.position, count);
    file.position += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t writeMemory(thandle_t handle, void *data, tmsize_t size)
{
    MemoryFile &file = memoryFile(handle);
    if (size < 0)
        return -1;
    const toff_t end = file.position + static_cast<toff_t>(size);
    try {
        if (end > file.bytes.size())
            file.bytes.resize(end);
    } catch (const std::bad_alloc &) {
        return -1;
    }
    std::memcpy(file.bytes.data() + file.position, data, static_cast<size_t>(size));
    file.position = end;
    return size;
}

toff_t seekMemory(thandle_t handle, toff_t offset, int whence)
{
    MemoryFile &file = memoryFile(handle);
    const toff_t base = whence == SEEK_CUR   ? file.position
                        : whence == SEEK_END ? file.bytes.size()
                                             : 0;
    file.position = base + offset;
    return file.position;
}

int closeMemory(thandle_t)
{
    return 0;
}

toff_t memorySize(thandle_t handle)
{
    return memoryFile(handle).bytes.size();
}

int mapNothing(thandle_t, void **, toff_t *)
{
    return 0;
}

void unmapNothing(thandle_t, void *, toff_t)
{
}

// One row of pix in TIFF's sample order (grey bytes, or red, green, blue), each sample
// stored as its difference to the same sample of the pixel on its left: the horizontal
// predictor, applied while packing instead of in another pass.
void packRowDifferences(const l_uint32 *line, int width, bool colour, l_uint8 *out)
{
    if (!colour) {
        l_uint8 previous = 0;
        for (int x = 0; x < width; ++x) {
            const auto value = static_cast<l_uint8>(GET_DATA_BYTE(line, x));
            out[x] = static_cast<l_uint8>(value - previous);
            previous = value;
        }
        return;
    }
    l_uint32 previous = 0;
    for (int x = 0; x < width; ++x) {
        const l_uint32 pixel = line[x];
        *out++ = static_cast<l_uint8>((pixel >> L_RED_SHIFT) - (previous >> L_RED_SHIFT));
        *out++ = static_cast<l_uint8>((pixel >> L_GREEN_SHIFT) - (previous >> L_GREEN_SHIFT));
        *out++ = static_cast<l_uint8>((pixel >> L_BLUE_SHIFT) - (previous >> L_BLUE_SHIFT));
        previous = pixel;
    }
}

struct CompressorDeleter
{
    void operator()(libdeflate_compressor *compressor) const
    {
        libdeflate_free_compressor(compressor);
    }
};

bool writeStrips(TIFF *tiff, PIX *pix, bool colour)
{
    const int width = pixGetWidth(pix);
    const int height = pixGetHeight(pix);
    const int samples = colour ? 3 : 1;
    const tmsize_t rowBytes = static_cast<tmsize_t>(width) * samples;
    const int rowsPerStrip =
        static_cast<int>(std::clamp<tmsize_t>(StripBytes / rowBytes, 1, height));
    const bool tagsSet =
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width)) &&
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height)) &&
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8) &&
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples) &&
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
                     colour ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK) &&
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
        TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE) &&
        TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL) &&
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(rowsPerStrip));
    if (!tagsSet)
        return false;
    const l_int32 xRes = pixGetXRes(pix);
    const l_int32 yRes = pixGetYRes(pix);
    if (xRes > 0 && yRes > 0 &&
        !(TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) &&
          TIFFSetField(tiff, TIFFTAG_XRESOLUTION, static_cast<float>(xRes)) &&
          TIFFSetField(tiff, TIFFTAG_YRESOLUTION, static_cast<float>(yRes))))
        return false;

    // Each strip is differenced and deflated here (a zlib stream, as the deflate scheme
    // stores it) and handed to libtiff as it is to go in the file.
    const std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
        libdeflate_alloc_compressor(DeflateLevel));
    if (!compressor)
        return false;
    const size_t stripSize = static_cast<size_t>(rowBytes) * rowsPerStrip;
    std::vector<l_uint8> strip(stripSize);
    std::vector<l_uint8> deflated(libdeflate_zlib_compress_bound(compressor.get(), stripSize));
    const l_uint32 *data = pixGetData(pix);
    const int wpl = pixGetWpl(pix);
    for (int top = 0, index = 0; top < height; top += rowsPerStrip, ++index) {
        const int rows = std::min(rowsPerStrip, height - top);
        for (int y = 0; y < rows; ++y)
            packRowDifferences(data + static_cast<size_t>(top + y) * wpl, width, colour,
                               strip.data() + static_cast<size_t>(y) * rowBytes);
        const size_t size = libdeflate_zlib_compress(compressor.get(), strip.data(),
                                                     static_cast<size_t>(rowBytes) * rows,
                                                     deflated.data(), deflated.size());
        if (size == 0 || TIFFWriteRawStrip(tiff, static_cast<uint32_t>(index), deflated.data(),
                                           static_cast<tmsize_t>(size)) < 0)
            return false;
    }
    return TIFFFlush(tiff) == 1;
}
} // namespace

bool encodeDeflateTiff(PIX *pix, std::vector<l_uint8> &encoded)
{
    encoded.clear();
    const int depth = pixGetDepth(pix);
    const bool colour = depth == 32;
    if ((depth != 8 && !colour) || pixGetColormap(pix) || (colour && pixGetSpp(pix) == 4))
        return false;
    MemoryFile file{encoded};
    TIFF *tiff = TIFFClientOpen("page", "w", &file, readMemory, writeMemory, seekMemory,
                                closeMemory, memorySize, mapNothing, unmapNothing);
    if (!tiff)
        return false;
    const bool written = writeStrips(tiff, pix, colour);
    TIFFClose(tiff);
    if (!written)
        encoded.clear();
    return written;
}
