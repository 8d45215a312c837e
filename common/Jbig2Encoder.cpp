#include "Jbig2Encoder.h"

#include "MqEncoder.h"

#include <QtAlgorithms>
#include <QtEndian>

#include <cstring>
#include <vector>

namespace {
// Segment types (T.88 7.3).
constexpr std::uint8_t ImmediateLosslessGenericRegion = 39;
constexpr std::uint8_t PageInformation = 48;

// Template 0's context of the pixel that typical prediction codes its "row is like the one
// above" bit in (T.88 6.2.5.7, Figure 8), under the bit order of contextFor() below.
constexpr unsigned TypicalRowContext = 0x9B25;

// The page's pixels, 1 = black, each row most significant bit first with its bits past the
// width cleared and one zero byte after it, then a zero row: the pixels off the page that
// the context reads are white (0) without a test.
struct Bitmap
{
    int width = 0;
    int height = 0;
    qsizetype stride = 0;
    std::vector<std::uint8_t> bits;

    const std::uint8_t *row(int y) const { return bits.data() + (y < 0 ? height : y) * stride; }
};

Bitmap blackIsOne(const QImage &page)
{
    const QImage mono =
        page.format() == QImage::Format_Mono ? page : page.convertToFormat(QImage::Format_Mono);
    const QList<QRgb> colours = mono.colorTable();
    const bool zeroIsBlack = colours.size() == 2 && qGray(colours.at(0)) < qGray(colours.at(1));
    Bitmap bitmap;
    bitmap.width = mono.width();
    bitmap.height = mono.height();
    const qsizetype rowBytes = (bitmap.width + 7) / 8;
    bitmap.stride = rowBytes + 1;
    bitmap.bits.assign(size_t(bitmap.stride * (bitmap.height + 1)), 0);
    const auto lastByteMask = std::uint8_t(0xFF << ((8 - bitmap.width % 8) % 8));
    for (int y = 0; y < bitmap.height; ++y) {
        std::uint8_t *target = bitmap.bits.data() + y * bitmap.stride;
        memcpy(target, mono.constScanLine(y), size_t(rowBytes));
        if (zeroIsBlack) {
            for (qsizetype i = 0; i < rowBytes; ++i)
                target[i] = std::uint8_t(~target[i]);
        }
        target[rowBytes - 1] &= lastByteMask;
    }
    return bitmap;
}

// Generic region decoding with MMR 0, GBTEMPLATE 0, TPGDON 1 and the nominal adaptive pixels
// A1 (3,-1), A2 (-3,-1), A3 (2,-2), A4 (-2,-2) (T.88 6.2.5), run as an encoder. The 16 context
// bits, from the most significant: row y-2 from x-2 to x+2 (A4, three fixed, A3); row y-1
// from x-3 to x+3 (A2, five fixed, A1); row y from x-4 to x-1. Each of the three runs is
// contiguous, so moving one pixel right is one shift of the whole context plus one new pixel
// per row, read from a 16-bit window over two bytes of the row.
QByteArray genericRegionCode(const Bitmap &bitmap)
{
    std::vector<MqEncoder::Context> contextStore(1 << 16, MqEncoder::Context(0));
    MqEncoder::Context *const contexts = contextStore.data();
    std::vector<std::uint8_t> code;
    code.reserve(size_t(bitmap.stride * bitmap.height / 16));
    MqEncoder coder(code);
    bool typicalAbove = false; // LTP
    const qsizetype rowBytes = bitmap.stride - 1;
    for (int y = 0; y < bitmap.height; ++y) {
        const std::uint8_t *line = bitmap.row(y);
        const std::uint8_t *above = bitmap.row(y - 1);
        const std::uint8_t *twoAbove = bitmap.row(y - 2);
        const bool typical = memcmp(line, above, size_t(rowBytes)) == 0;
        coder.encode(contexts[TypicalRowContext], typical != typicalAbove);
        typicalAbove = typical;
        if (typical)
            continue;
        // Per byte, the pixels that are black or bring a black pixel into the context: until
        // the next of them, a white context codes white pixels, which go as one run.
        const auto incomingAt = [&](qsizetype i) {
            return quint8(twoAbove[i] << 3 | twoAbove[i + 1] >> 5 | above[i] << 4 |
                          above[i + 1] >> 4 | line[i]);
        };
        unsigned context = unsigned(twoAbove[0] >> 5) << 11 | unsigned(above[0] >> 4) << 4;
        int k = 0; // the next pixel of byte i
        for (qsizetype i = 0; i < rowBytes; ++i, k = 0) {
            if (context == 0 && incomingAt(i) == 0) {
                // The rest of the byte is such a run, and it goes on over the bytes after it.
                qsizetype next = i + 1;
                while (next < rowBytes && incomingAt(next) == 0)
                    ++next;
                const int end = next < rowBytes
                                    ? int(next) * 8 + int(qCountLeadingZeroBits(incomingAt(next)))
                                    : bitmap.width;
                coder.encodeRun(contexts[0], 0, unsigned(end - int(i) * 8 - k));
                i = end / 8;
                k = end % 8;
                if (i == rowBytes)
                    break;
            }
            const unsigned window1 = unsigned(above[i]) << 8 | above[i + 1];
            const unsigned window2 = unsigned(twoAbove[i]) << 8 | twoAbove[i + 1];
            const unsigned pixels = line[i];
            const unsigned bits = incomingAt(i);
            const int count = i + 1 < rowBytes ? 8 : bitmap.width - int(i) * 8;
            while (k < count) {
                if (context == 0) {
                    const int run = qMin(int(qCountLeadingZeroBits(quint8(bits << k))), count - k);
                    if (run > 0) {
                        coder.encodeRun(contexts[0], 0, unsigned(run));
                        k += run;
                        continue;
                    }
                }
                const unsigned pixel = (pixels >> (7 - k)) & 1;
                coder.encode(contexts[context], pixel);
                context = ((context << 1) & 0xF7EE) | ((window2 >> (12 - k)) & 1) << 11 |
                          ((window1 >> (11 - k)) & 1) << 4 | pixel;
                ++k;
            }
        }
    }
    coder.finish();
    return QByteArray(reinterpret_cast<const char *>(code.data()), qsizetype(code.size()));
}

void appendBigEndian32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

// A segment (T.88 7.2) of page 1 that refers to no other.
void appendSegment(QByteArray &out, quint32 number, std::uint8_t type, const QByteArray &data)
{
    appendBigEndian32(out, number);
    out.append(char(type)); // and a page association of one byte
    out.append('\0');       // no referred-to segments
    out.append('\x01');     // page 1
    appendBigEndian32(out, quint32(data.size()));
    out.append(data);
}

quint32 pixelsPerMetre(int dotsPerMeter)
{
    return dotsPerMeter > 0 ? quint32(dotsPerMeter) : 0; // 0: unknown
}
} // namespace

bool Jbig2Encoder::canEncode(const QImage &page)
{
    return !page.isNull() && page.depth() == 1;
}

QByteArray Jbig2Encoder::encodeGeneric(const QImage &page)
{
    if (!canEncode(page))
        return {};
    const Bitmap bitmap = blackIsOne(page);

    QByteArray pageInformation; // T.88 7.4.8
    appendBigEndian32(pageInformation, quint32(bitmap.width));
    appendBigEndian32(pageInformation, quint32(bitmap.height));
    appendBigEndian32(pageInformation, pixelsPerMetre(page.dotsPerMeterX()));
    appendBigEndian32(pageInformation, pixelsPerMetre(page.dotsPerMeterY()));
    pageInformation.append('\x01');  // eventually lossless; default pixel 0, combination OR
    pageInformation.append(2, '\0'); // not striped

    QByteArray region; // T.88 7.4.1 and 7.4.6: the whole page at (0, 0), OR onto it
    appendBigEndian32(region, quint32(bitmap.width));
    appendBigEndian32(region, quint32(bitmap.height));
    appendBigEndian32(region, 0);
    appendBigEndian32(region, 0);
    region.append('\0');
    region.append('\x08'); // MMR 0, GBTEMPLATE 0, TPGDON 1
    const signed char adaptivePixels[8] = {3, -1, -3, -1, 2, -2, -2, -2};
    region.append(reinterpret_cast<const char *>(adaptivePixels), 8);
    region.append(genericRegionCode(bitmap));

    QByteArray stream;
    appendSegment(stream, 0, PageInformation, pageInformation);
    appendSegment(stream, 1, ImmediateLosslessGenericRegion, region);
    return stream;
}
