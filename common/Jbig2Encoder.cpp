#include "Jbig2Encoder.h"

#include "Jbig2Bitmap.h"
#include "Jbig2Symbols.h"
#include "MqEncoder.h"

#include <QtAlgorithms>
#include <QtEndian>

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace {
// Segment types (T.88 7.3).
constexpr std::uint8_t SymbolDictionary = 0;
constexpr std::uint8_t ImmediateLosslessTextRegion = 7;
constexpr std::uint8_t ImmediateLosslessGenericRegion = 39;
constexpr std::uint8_t PageInformation = 48;

// Template 0's context of the pixel that typical prediction codes its "row is like the one
// above" bit in (T.88 6.2.5.7, Figure 8), under the bit order of codeGenericRegion() below.
constexpr unsigned TypicalRowContext = 0x9B25;

// The nominal adaptive pixels of template 0, A1 to A4, as x, y pairs.
const signed char AdaptivePixels[8] = {3, -1, -3, -1, 2, -2, -2, -2};

using Contexts = std::vector<MqEncoder::Context>;

// Generic region decoding with MMR 0, GBTEMPLATE 0 and the nominal adaptive pixels
// A1 (3,-1), A2 (-3,-1), A3 (2,-2), A4 (-2,-2) (T.88 6.2.5), run as an encoder. The 16 context
// bits, from the most significant: row y-2 from x-2 to x+2 (A4, three fixed, A3); row y-1
// from x-3 to x+3 (A2, five fixed, A1); row y from x-4 to x-1. Each of the three runs is
// contiguous, so moving one pixel right is one shift of the whole context plus one new pixel
// per row, read from a 16-bit window over two bytes of the row.
//
// The contexts (1 << 16 of them) and the coder may have coded before: a symbol dictionary
// codes its symbols one after the other with them.
void codeGenericRegion(MqEncoder &coder, Contexts &contextStore, const Jbig2Bitmap &bitmap,
                       bool typicalPrediction)
{
    MqEncoder::Context *const contexts = contextStore.data();
    bool typicalAbove = false; // LTP
    const qsizetype rowBytes = bitmap.rowBytes();
    for (int y = 0; y < bitmap.height(); ++y) {
        const std::uint8_t *line = bitmap.row(y);
        const std::uint8_t *above = bitmap.row(y - 1);
        const std::uint8_t *twoAbove = bitmap.row(y - 2);
        if (typicalPrediction) {
            const bool typical = memcmp(line, above, size_t(rowBytes)) == 0;
            coder.encode(contexts[TypicalRowContext], typical != typicalAbove);
            typicalAbove = typical;
            if (typical)
                continue;
        }
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
                                    : bitmap.width();
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
            const int count = i + 1 < rowBytes ? 8 : bitmap.width() - int(i) * 8;
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
}

// One integer arithmetic coding procedure (IADH, IADW, IAEX, IADT, IAFS, IADS; T.88 Annex A.2)
// with its contexts.
class IntegerCoder
{
public:
    void encode(MqEncoder &coder, int value) { code(coder, value < 0, unsigned(std::abs(value))); }
    // OOB, the end of a height class or of a strip: "minus zero".
    void encodeOob(MqEncoder &coder) { code(coder, true, 0); }

private:
    void code(MqEncoder &coder, bool negative, unsigned magnitude)
    {
        unsigned previous = 1;
        const auto bit = [&](unsigned value) {
            coder.encode(m_contexts[previous], value);
            previous =
                previous < 256 ? (previous << 1 | value) : ((previous << 1 | value) & 511) | 256;
        };
        // Table A.1: the range as a prefix of ones (ended by a zero but for the last), then
        // the offset into it.
        static const unsigned lows[] = {0, 4, 20, 84, 340, 4436};
        static const int widths[] = {2, 4, 6, 8, 12, 32};
        int range = 5;
        while (range > 0 && magnitude < lows[range])
            --range;
        bit(negative);
        for (int i = 0; i < range; ++i)
            bit(1);
        if (range < 5)
            bit(0);
        for (int i = widths[range] - 1; i >= 0; --i)
            bit(((magnitude - lows[range]) >> i) & 1);
    }

    Contexts m_contexts = Contexts(512);
};

// Symbol numbers in codeLength bits (IAID, T.88 Annex A.3).
class SymbolIdCoder
{
public:
    explicit SymbolIdCoder(int codeLength) : m_length(codeLength), m_contexts(1u << codeLength) {}

    void encode(MqEncoder &coder, unsigned id)
    {
        unsigned previous = 1;
        for (int i = m_length - 1; i >= 0; --i) {
            const unsigned bit = (id >> i) & 1;
            coder.encode(m_contexts[previous], bit);
            previous = previous << 1 | bit;
        }
    }

private:
    int m_length;
    Contexts m_contexts;
};

QByteArray bytesOf(const std::vector<std::uint8_t> &code)
{
    return QByteArray(reinterpret_cast<const char *>(code.data()), qsizetype(code.size()));
}

void appendBigEndian32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

// A segment (T.88 7.2) of page 1, referring to the earlier segments in referred (numbers
// below 256, so one byte each), none of them retained.
void appendSegment(QByteArray &out, quint32 number, std::uint8_t type, const QByteArray &data,
                   std::initializer_list<std::uint8_t> referred = {})
{
    appendBigEndian32(out, number);
    out.append(char(type)); // and a page association of one byte
    out.append(char(referred.size() << 5));
    for (const std::uint8_t segment : referred)
        out.append(char(segment));
    out.append('\x01'); // page 1
    appendBigEndian32(out, quint32(data.size()));
    out.append(data);
}

quint32 pixelsPerMetre(int dotsPerMeter)
{
    return dotsPerMeter > 0 ? quint32(dotsPerMeter) : 0; // 0: unknown
}

QByteArray pageInformation(const Jbig2Bitmap &page, const QImage &image) // T.88 7.4.8
{
    QByteArray data;
    appendBigEndian32(data, quint32(page.width()));
    appendBigEndian32(data, quint32(page.height()));
    appendBigEndian32(data, pixelsPerMetre(image.dotsPerMeterX()));
    appendBigEndian32(data, pixelsPerMetre(image.dotsPerMeterY()));
    data.append('\x01');  // eventually lossless; default pixel 0, combination OR
    data.append(2, '\0'); // not striped
    return data;
}

// The region segment information field (T.88 7.4.1): the whole page at (0, 0), OR onto it.
QByteArray regionOfPage(const Jbig2Bitmap &page)
{
    QByteArray data;
    appendBigEndian32(data, quint32(page.width()));
    appendBigEndian32(data, quint32(page.height()));
    appendBigEndian32(data, 0);
    appendBigEndian32(data, 0);
    data.append('\0');
    return data;
}

QByteArray genericRegion(const Jbig2Bitmap &page) // T.88 7.4.6
{
    QByteArray data = regionOfPage(page);
    data.append('\x08'); // MMR 0, GBTEMPLATE 0, TPGDON 1
    data.append(reinterpret_cast<const char *>(AdaptivePixels), 8);
    std::vector<std::uint8_t> code;
    code.reserve(std::size_t(page.rowBytes() * page.height() / 16));
    MqEncoder coder(code);
    Contexts contexts(1 << 16);
    codeGenericRegion(coder, contexts, page, true);
    coder.finish();
    return data + bytesOf(code);
}

// T.88 7.4.3 and 6.5: the symbols in height classes, each bitmap a generic region of its own
// size, all exported.
QByteArray symbolDictionary(const std::vector<Jbig2Bitmap> &symbols)
{
    QByteArray data(2, '\0'); // arithmetic coding, no refinement, SDTEMPLATE 0, fresh contexts
    data.append(reinterpret_cast<const char *>(AdaptivePixels), 8);
    appendBigEndian32(data, quint32(symbols.size())); // exported
    appendBigEndian32(data, quint32(symbols.size())); // new
    std::vector<std::uint8_t> code;
    MqEncoder coder(code);
    Contexts bitmapContexts(1 << 16);
    IntegerCoder heightDelta, widthDelta, exportRun;
    int height = 0;
    for (std::size_t i = 0; i < symbols.size();) {
        const int classHeight = symbols[i].height();
        heightDelta.encode(coder, classHeight - height);
        height = classHeight;
        int width = 0;
        for (; i < symbols.size() && symbols[i].height() == classHeight; ++i) {
            widthDelta.encode(coder, symbols[i].width() - width);
            width = symbols[i].width();
            codeGenericRegion(coder, bitmapContexts, symbols[i], false);
        }
        widthDelta.encodeOob(coder);
    }
    exportRun.encode(coder, 0); // none not exported, then all of them
    exportRun.encode(coder, int(symbols.size()));
    coder.finish();
    return data + bytesOf(code);
}

// T.88 7.4.4 and 6.4: the instances in strips of one row each (their bottom row), placed by
// their bottom left corner.
QByteArray textRegion(const Jbig2Symbols &marks, const Jbig2Bitmap &page)
{
    QByteArray data = regionOfPage(page);
    // Arithmetic coding, no refinement, LOGSBSTRIPS 0, REFCORNER bottom left, not transposed,
    // OR, default pixel 0, SBDSOFFSET 0.
    data.append(2, '\0');
    appendBigEndian32(data, quint32(marks.instances.size()));
    std::vector<std::uint8_t> code;
    MqEncoder coder(code);
    IntegerCoder stripDelta, firstDelta, nextDelta;
    int codeLength = 0;
    while ((std::size_t(1) << codeLength) < marks.symbols.size())
        ++codeLength;
    SymbolIdCoder ids(codeLength);
    stripDelta.encode(coder, 0); // the strips start at row 0
    int strip = 0;
    int firstLeft = 0;
    for (std::size_t i = 0; i < marks.instances.size();) {
        const int bottom = marks.instances[i].bottom;
        stripDelta.encode(coder, bottom - strip);
        strip = bottom;
        int right = 0; // CURS: the right column of the instance before
        for (bool first = true; i < marks.instances.size() && marks.instances[i].bottom == bottom;
             ++i, first = false) {
            const Jbig2Symbols::Instance &instance = marks.instances[i];
            if (first) {
                firstDelta.encode(coder, instance.x - firstLeft);
                firstLeft = instance.x;
            } else {
                nextDelta.encode(coder, instance.x - right);
            }
            ids.encode(coder, unsigned(instance.symbol));
            right = instance.x + marks.symbols[std::size_t(instance.symbol)].width() - 1;
        }
        nextDelta.encodeOob(coder);
    }
    coder.finish();
    return data + bytesOf(code);
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
    const Jbig2Bitmap bitmap = Jbig2Bitmap::fromImage(page);
    QByteArray stream;
    appendSegment(stream, 0, PageInformation, pageInformation(bitmap, page));
    appendSegment(stream, 1, ImmediateLosslessGenericRegion, genericRegion(bitmap));
    return stream;
}

QByteArray Jbig2Encoder::encodeWithSymbols(const QImage &page)
{
    if (!canEncode(page))
        return {};
    const Jbig2Bitmap bitmap = Jbig2Bitmap::fromImage(page);
    const Jbig2Symbols marks = Jbig2Symbols::find(bitmap);
    QByteArray stream;
    appendSegment(stream, 0, PageInformation, pageInformation(bitmap, page));
    if (marks.symbols.size() < 2) { // nothing repeats (or one shape: its numbers had no bits)
        appendSegment(stream, 1, ImmediateLosslessGenericRegion, genericRegion(bitmap));
        return stream;
    }
    appendSegment(stream, 1, SymbolDictionary, symbolDictionary(marks.symbols));
    appendSegment(stream, 2, ImmediateLosslessTextRegion, textRegion(marks, bitmap), {1});
    appendSegment(stream, 3, ImmediateLosslessGenericRegion, genericRegion(marks.rest));
    return stream;
}
