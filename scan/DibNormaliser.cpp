#include "DibNormaliser.h"

#include "DibView.h"

#include <QtEndian>

namespace {
// A zero-filled bottom-up bitmap of the source's size and resolution.
struct Target
{
    DibBuffer::Header header;
    QByteArray pixels;
    qint64 stride = 0;

    Target(const DibView &source, int bitCount)
    {
        header.width = source.width();
        header.height = source.height();
        header.bitCount = quint16(bitCount);
        header.xPixelsPerMeter = source.header().xPixelsPerMeter;
        header.yPixelsPerMeter = source.header().yPixelsPerMeter;
        stride = DibBuffer::bytesPerLine(source.width(), bitCount);
        pixels = QByteArray(stride * source.height(), '\0');
        header.imageSize = quint32(pixels.size());
        if (bitCount == 8)
            header.coloursUsed = 256;
    }

    // Image row 0 is the top row; bottom-up storage puts it last.
    uchar *row(int imageRow)
    {
        return reinterpret_cast<uchar *>(pixels.data()) + (header.height - 1 - imageRow) * stride;
    }

    DibBuffer finish(const QList<QRgb> &palette) const
    {
        return DibBuffer::create(header, palette, {}, pixels);
    }
};

QList<QRgb> greyRamp()
{
    QList<QRgb> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[i] = qRgb(i, i, i);
    return palette;
}
} // namespace

std::optional<DibBuffer> DibNormaliser::normalise(const DibView &source)
{
    switch (source.bitCount()) {
    case 1:
        return fromOneBit(source);
    case 4:
        return source.compression() == DibBuffer::RunLength4 ? fromRunLength4(source)
                                                             : fromFourBit(source);
    case 48:
        return fromFortyEightBit(source);
    default:
        return std::nullopt;
    }
}

std::optional<DibBuffer> DibNormaliser::fromOneBit(const DibView &source)
{
    // The source palette is not consulted: a set bit is white, a clear bit black.
    Target target(source, 8);
    for (int y = 0; y < source.height(); ++y) {
        const uchar *in = source.imageRow(y);
        uchar *out = target.row(y);
        for (int x = 0; x < source.width(); ++x)
            out[x] = (in[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    }
    return target.finish(greyRamp());
}

std::optional<DibBuffer> DibNormaliser::fromRunLength4(const DibView &source)
{
    Target target(source, 8);
    const uchar *stream = source.pixels();
    const qint64 length = source.pixelBytes();
    qint64 at = 0;
    // 64-bit positions: a long stream of runs without line ends must not wrap around.
    qint64 x = 0;
    qint64 storedRow = 0;
    auto put = [&](int index) {
        // Runs that overshoot the row or the bitmap are clipped, never written outside.
        if (x < source.width() && storedRow < source.height()) {
            const qint64 imageRow =
                source.isTopDown() ? storedRow : source.height() - 1 - storedRow;
            target.row(int(imageRow))[x] = uchar(index);
        }
        ++x;
    };
    while (at < length) {
        if (length - at < 2)
            return std::nullopt;
        const int count = stream[at];
        const int value = stream[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put((i & 1) ? (value & 0x0F) : (value >> 4));
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++storedRow;
        } else if (value == 1) { // end of bitmap
            break;
        } else if (value == 2) { // move right and down
            if (length - at < 2)
                return std::nullopt;
            x += stream[at];
            storedRow += stream[at + 1];
            at += 2;
        } else { // literal nibbles, padded to a 16-bit boundary
            const qint64 bytes = ((value + 3) / 4) * 2;
            if (length - at < bytes)
                return std::nullopt;
            for (int i = 0; i < value; ++i) {
                const uchar byte = stream[at + i / 2];
                put((i & 1) ? (byte & 0x0F) : (byte >> 4));
            }
            at += bytes;
        }
        if (storedRow >= source.height())
            break;
    }
    // Keep the source colours for its indices so the page keeps its look; the remaining
    // entries stay on the grey ramp.
    QList<QRgb> palette = greyRamp();
    for (int i = 0; i < source.paletteEntries(); ++i)
        palette[i] = source.paletteColour(i);
    return target.finish(palette);
}

std::optional<DibBuffer> DibNormaliser::fromFourBit(const DibView &source)
{
    Target target(source, 24);
    for (int y = 0; y < source.height(); ++y) {
        const uchar *in = source.imageRow(y);
        uchar *out = target.row(y);
        for (int x = 0; x < source.width(); ++x) {
            const uchar byte = in[x >> 1];
            const int index = (x & 1) ? (byte & 0x0F) : (byte >> 4);
            const QRgb colour = source.paletteColour(index);
            out[3 * x] = uchar(qBlue(colour));
            out[3 * x + 1] = uchar(qGreen(colour));
            out[3 * x + 2] = uchar(qRed(colour));
        }
    }
    return target.finish({});
}

std::optional<DibBuffer> DibNormaliser::fromFortyEightBit(const DibView &source)
{
    // Three little-endian 16-bit samples per pixel (blue, green, red); keep the high bytes.
    Target target(source, 24);
    for (int y = 0; y < source.height(); ++y) {
        const uchar *in = source.imageRow(y);
        uchar *out = target.row(y);
        for (int i = 0; i < 3 * source.width(); ++i)
            out[i] = uchar(qFromLittleEndian<quint16>(in + 2 * i) >> 8);
    }
    return target.finish({});
}
