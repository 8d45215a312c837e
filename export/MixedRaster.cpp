#include "MixedRaster.h"

#include <leptonica/allheaders.h>

#include <QBuffer>
#include <QImageWriter>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace MixedRaster {
namespace {
struct PixFree
{
    void operator()(PIX *pix) const { pixDestroy(&pix); }
};
using Pix = std::unique_ptr<PIX, PixFree>;

// Raw grey levels darker than this never count as paper when the paper's shade is measured:
// light parts of a photograph must not be taken for it.
constexpr int PaperAbove = 180;
// On paper brought to white: darker is ink, and anything short of white is not paper.
constexpr int InkBelow = 135;
constexpr int PaperFrom = 215;
// A cell of the picture finder (at 300 dpi, 8 pixels) counts as picture when this share of it
// is not paper: text, even bold, leaves paper between its strokes.
constexpr double PictureCellShare = 0.85;
// In cells: a picture is at least this wide and high; gaps inside it up to this are closed.
constexpr int PictureSmallest = 5;
constexpr int PictureGap = 5;
constexpr int PictureMargin = 5;

struct LevelSettings
{
    int factor;
    int quality;
};

LevelSettings settingsFor(PictureLevel level)
{
    switch (level) {
    case PictureLevel::Small:
        return {4, 30};
    case PictureLevel::Fine:
        return {2, 65};
    case PictureLevel::Balanced:
        break;
    }
    return {3, 45};
}

Pix luminance(const QImage &page)
{
    const int width = page.width();
    Pix grey(pixCreate(width, page.height(), 8));
    l_uint32 *data = pixGetData(grey.get());
    const int wpl = pixGetWpl(grey.get());
    const bool isGrey = page.format() == QImage::Format_Grayscale8;
    for (int y = 0; y < page.height(); ++y) {
        l_uint32 *line = data + y * wpl;
        const uchar *source = page.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            const int value =
                isGrey ? source[x] : qGray(reinterpret_cast<const QRgb *>(source)[x]);
            SET_DATA_BYTE(line, x, value);
        }
    }
    return grey;
}

// 1 where the page has text: ink on the paper, outside the pictures.
Pix findText(PIX *grey, int dpi)
{
    // Paper to white (255), whatever its shade and lighting.
    Pix paperWhite(pixBackgroundNorm(grey, nullptr, nullptr, 10, 15, PaperAbove, 50, 255, 2, 1));
    PIX *normalised = paperWhite ? paperWhite.get() : grey;
    Pix ink(pixThresholdToBinary(normalised, InkBelow));
    Pix notPaper(pixThresholdToBinary(normalised, PaperFrom));
    if (!ink || !notPaper)
        return nullptr;

    const int cell = qMax(2, qRound(dpi / 37.5));
    Pix share(pixScaleToGray(notPaper.get(), 1.0f / float(cell)));
    if (!share)
        return ink;
    // Grey 0 is a cell all of whose pixels are not paper.
    Pix dense(pixThresholdToBinary(share.get(), qRound(255 * (1.0 - PictureCellShare)) + 1));
    Pix whole(pixOpenBrick(nullptr, dense.get(), PictureSmallest, PictureSmallest));
    Pix joined(pixCloseSafeBrick(nullptr, whole.get(), PictureGap, PictureGap));
    // A picture's light spots and a photograph's edges are picture too: its whole rectangle is.
    BOXA *boxes = joined ? pixConnCompBB(joined.get(), 8) : nullptr;
    if (boxes) {
        pixMaskBoxa(joined.get(), joined.get(), boxes, L_SET_PIXELS);
        boxaDestroy(&boxes);
    }
    Pix margin(pixDilateBrick(nullptr, joined.get(), PictureMargin, PictureMargin));
    l_int32 noPicture = 1;
    if (margin)
        pixZero(margin.get(), &noPicture);
    if (!noPicture) {
        Pix pictures(pixExpandBinaryReplicate(margin.get(), cell, cell));
        pixSubtract(ink.get(), ink.get(), pictures.get());
    }
    return ink;
}

// Cells without a value take the nearest cell's, so that a JPEG of the layer has no edges
// where nothing is shown.
void fillEmptyCells(std::vector<std::array<quint32, 3>> &colours, std::vector<quint32> &counts,
                    int columns, int rows, quint32 none)
{
    std::vector<int> queue;
    queue.reserve(counts.size());
    for (int i = 0; i < int(counts.size()); ++i) {
        if (counts[size_t(i)] > 0)
            queue.push_back(i);
    }
    if (queue.empty()) {
        for (auto &colour : colours)
            colour = {none, none, none};
        return;
    }
    for (size_t next = 0; next < queue.size(); ++next) {
        const int i = queue[next];
        const int x = i % columns;
        const int y = i / columns;
        const std::array<std::pair<int, int>, 4> around{{{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}}};
        for (const auto &[nx, ny] : around) {
            if (nx < 0 || ny < 0 || nx >= columns || ny >= rows)
                continue;
            const size_t n = size_t(ny * columns + nx);
            if (counts[n] > 0)
                continue;
            colours[n] = colours[size_t(i)];
            counts[n] = 1;
            queue.push_back(int(n));
        }
    }
}

// The mean colour of the page's pixels where take is 1 (wanted) or 0, per factor x factor
// cell. For the text (wanted) darker pixels weigh more: a stroke's grey edges would lighten
// its colour.
template <bool wanted>
QImage averageLayer(const QImage &page, PIX *take, int factor, bool grey, quint32 none)
{
    const int columns = (page.width() + factor - 1) / factor;
    const int rows = (page.height() + factor - 1) / factor;
    std::vector<std::array<quint32, 3>> colours(size_t(columns) * size_t(rows), {0, 0, 0});
    std::vector<quint32> counts(colours.size(), 0);
    std::vector<int> columnOf(size_t(page.width()));
    for (int x = 0; x < page.width(); ++x)
        columnOf[size_t(x)] = x / factor;
    const l_uint32 *data = pixGetData(take);
    const int wpl = pixGetWpl(take);
    // Words of 32 pixels none of which is taken are passed over whole: most of a page is paper
    // for the text's colours, and most is not text for the background.
    const l_uint32 nothingTaken = wanted ? 0u : ~0u;
    // One row of cells at a time, so that the sums stay in the processor's cache.
    std::vector<std::array<quint64, 4>> sums(static_cast<size_t>(columns));
    for (int cellRow = 0; cellRow < rows; ++cellRow) {
        std::fill(sums.begin(), sums.end(), std::array<quint64, 4>{0, 0, 0, 0});
        const int lastRow = qMin((cellRow + 1) * factor, page.height());
        for (int y = cellRow * factor; y < lastRow; ++y) {
            const l_uint32 *bits = data + y * wpl;
            const uchar *source = page.constScanLine(y);
            for (int first = 0; first < page.width(); first += 32) {
                const l_uint32 word = bits[first / 32];
                if (word == nothingTaken)
                    continue;
                const int end = qMin(first + 32, page.width());
                for (int x = first; x < end; ++x) {
                    if (bool((word >> (31 - (x - first))) & 1u) != wanted)
                        continue;
                    auto &sum = sums[size_t(columnOf[size_t(x)])];
                    const QRgb pixel = grey ? qRgb(source[x], source[x], source[x])
                                            : reinterpret_cast<const QRgb *>(source)[x];
                    const quint64 darkness = quint64(256 - qGray(pixel));
                    const quint64 weight = wanted ? darkness * darkness : 1u;
                    sum[0] += weight * quint64(qRed(pixel));
                    sum[1] += weight * quint64(qGreen(pixel));
                    sum[2] += weight * quint64(qBlue(pixel));
                    sum[3] += weight;
                }
            }
        }
        for (int column = 0; column < columns; ++column) {
            const auto &sum = sums[size_t(column)];
            if (sum[3] == 0)
                continue;
            const size_t cell = size_t(cellRow) * size_t(columns) + size_t(column);
            for (size_t channel = 0; channel < 3; ++channel)
                colours[cell][channel] = quint32((sum[channel] + sum[3] / 2) / sum[3]);
            counts[cell] = 1;
        }
    }
    fillEmptyCells(colours, counts, columns, rows, none);

    QImage layer(columns, rows, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    for (int y = 0; y < rows; ++y) {
        uchar *line = layer.scanLine(y);
        for (int x = 0; x < columns; ++x) {
            const auto &colour = colours[size_t(y * columns + x)];
            if (grey) {
                line[x] = uchar(colour[0]);
            } else {
                line[3 * x] = uchar(colour[0]);
                line[3 * x + 1] = uchar(colour[1]);
                line[3 * x + 2] = uchar(colour[2]);
            }
        }
    }
    layer.setDotsPerMeterX(page.dotsPerMeterX() / factor);
    layer.setDotsPerMeterY(page.dotsPerMeterY() / factor);
    return layer;
}

QImage toMonoImage(PIX *mask)
{
    const int width = pixGetWidth(mask);
    const int height = pixGetHeight(mask);
    QImage image(width, height, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    const l_uint32 *data = pixGetData(mask);
    const int wpl = pixGetWpl(mask);
    for (int y = 0; y < height; ++y) {
        const l_uint32 *words = data + y * wpl;
        uchar *line = image.scanLine(y);
        // Leptonica keeps the first pixel in a word's most significant bit.
        for (int byte = 0; byte < (width + 7) / 8; ++byte)
            line[byte] = uchar(words[byte / 4] >> (24 - 8 * (byte % 4)));
    }
    return image;
}
} // namespace

Layers separate(const QImage &page, PictureLevel level)
{
    // Leptonica's own messages (a page too small for a step, say) would reach a console
    // user's standard error; a step that fails is handled where it is used.
    static const int quiet = setMsgSeverity(L_SEVERITY_NONE);
    Q_UNUSED(quiet);
    Layers layers;
    if (page.isNull())
        return layers;
    const bool grey = page.isGrayscale();
    const QImage pixels = page.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    const int dpi = pixels.dotsPerMeterX() > 0 ? qRound(pixels.dotsPerMeterX() * 0.0254) : 300;

    Pix luma = luminance(pixels);
    Pix text = findText(luma.get(), dpi);
    // The text's grey edges stay out of the background, or each letter would leave a shadow.
    Pix textAndEdges(pixDilateBrick(nullptr, text.get(), 3, 3));
    if (!text || !textAndEdges)
        return layers;

    const LevelSettings settings = settingsFor(level);
    layers.backgroundFactor = settings.factor;
    layers.jpegQuality = settings.quality;
    layers.mask = toMonoImage(text.get());
    layers.mask.setDotsPerMeterX(pixels.dotsPerMeterX());
    layers.mask.setDotsPerMeterY(pixels.dotsPerMeterY());
    layers.background = averageLayer<false>(pixels, textAndEdges.get(), settings.factor, grey, 255);
    layers.foreground = averageLayer<true>(pixels, text.get(), ForegroundFactor, grey, 0);
    return layers;
}

QByteArray jpeg(const QImage &layer, int quality)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.write(layer);
    return buffer.data();
}

QImage compose(const Layers &layers)
{
    if (layers.mask.isNull())
        return {};
    const QSize size = layers.mask.size();
    QImage page = QImage::fromData(jpeg(layers.background, layers.jpegQuality))
                      .convertToFormat(QImage::Format_RGB32)
                      .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage colours = QImage::fromData(jpeg(layers.foreground, ForegroundQuality))
                               .convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        const uchar *bits = layers.mask.constScanLine(y);
        auto *line = reinterpret_cast<QRgb *>(page.scanLine(y));
        const auto *colour =
            reinterpret_cast<const QRgb *>(colours.constScanLine(qMin(y / ForegroundFactor, colours.height() - 1)));
        for (int x = 0; x < size.width(); ++x) {
            if (bits[x / 8] & (0x80 >> (x % 8)))
                line[x] = colour[qMin(x / ForegroundFactor, colours.width() - 1)];
        }
    }
    page.setDotsPerMeterX(layers.mask.dotsPerMeterX());
    page.setDotsPerMeterY(layers.mask.dotsPerMeterY());
    return page;
}

} // namespace MixedRaster
