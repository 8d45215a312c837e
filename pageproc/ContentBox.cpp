#include "ContentBox.h"

#include "EdgeShadow.h"

#include <algorithm>
#include <vector>

namespace {
// Grey level below which a normalised pixel is ink.
constexpr int InkThreshold = 160;

PixelRect rectOf(BOXA *boxa, int index)
{
    PixelRect rect;
    boxaGetBoxGeometry(boxa, index, &rect.x, &rect.y, &rect.width, &rect.height);
    return rect;
}

PixelRect united(const PixelRect &a, const PixelRect &b)
{
    if (a.isEmpty())
        return b;
    const int left = std::min(a.x, b.x);
    const int top = std::min(a.y, b.y);
    const int right = std::max(a.x + a.width, b.x + b.width);
    const int bottom = std::max(a.y + a.height, b.y + b.height);
    return {left, top, right - left, bottom - top};
}

bool touches(const PixelRect &outer, int reach, const PixelRect &inner)
{
    return inner.x < outer.x + outer.width + reach && inner.x + inner.width > outer.x - reach &&
           inner.y < outer.y + outer.height + reach && inner.y + inner.height > outer.y - reach;
}

// Marks per cell of a coarse grid, to tell a lone speck from a letter among letters.
class Neighbourhood
{
public:
    Neighbourhood(int width, int height, int cell)
        : m_cell(cell), m_columns(width / cell + 1), m_rows(height / cell + 1),
          m_counts(static_cast<std::size_t>(m_columns) * m_rows, 0)
    {
    }
    void add(const PixelRect &r) { ++m_counts[index(centreColumn(r), centreRow(r))]; }
    // Whether any other mark lies within two cells of r.
    bool hasCompany(const PixelRect &r) const
    {
        int marks = 0;
        for (int row = centreRow(r) - 2; row <= centreRow(r) + 2; ++row) {
            for (int column = centreColumn(r) - 2; column <= centreColumn(r) + 2; ++column) {
                if (row >= 0 && row < m_rows && column >= 0 && column < m_columns)
                    marks += m_counts[index(column, row)];
            }
        }
        return marks > 1;
    }

private:
    int centreColumn(const PixelRect &r) const { return (r.x + r.width / 2) / m_cell; }
    int centreRow(const PixelRect &r) const { return (r.y + r.height / 2) / m_cell; }
    std::size_t index(int column, int row) const
    {
        return static_cast<std::size_t>(row) * m_columns + column;
    }
    int m_cell;
    int m_columns;
    int m_rows;
    std::vector<int> m_counts;
};
} // namespace

PixPtr contentInk(PIX *grey, PIX *normalisedGrey, int dpi)
{
    PixPtr ink(pixThresholdToBinary(normalisedGrey, InkThreshold));
    if (!ink)
        return nullptr;
    PixPtr inside(pixRemoveBorderConnComps(ink.get(), 8));
    if (!inside)
        return nullptr;
    // Normalising lifts a soft shade only partly, and noise breaks what is left into dots that
    // don't reach the edge: everything in or touching a shade along an edge goes with it.
    if (PixPtr shadows = findEdgeShadows(grey, dpi)) {
        PixPtr touching(pixAnd(nullptr, inside.get(), shadows.get()));
        if (touching && pixSeedfillBinary(touching.get(), touching.get(), inside.get(), 8))
            pixSubtract(inside.get(), inside.get(), touching.get());
    }
    // Marks wholly within 2 mm of an edge are the edge's shadow or the lid's rim, not content.
    const int strip = std::max(1, millimetresToPixels(2.0, dpi));
    const int width = pixGetWidth(inside.get());
    const int height = pixGetHeight(inside.get());
    BoxaPtr parts(pixConnCompBB(inside.get(), 8));
    const int count = parts ? boxaGetCount(parts.get()) : 0;
    for (int i = 0; i < count; ++i) {
        const PixelRect r = rectOf(parts.get(), i);
        if (r.x + r.width <= strip || r.y + r.height <= strip || r.x >= width - strip ||
            r.y >= height - strip)
            pixRasterop(inside.get(), r.x, r.y, r.width, r.height, PIX_CLR, nullptr, 0, 0);
    }
    return inside;
}

PixelRect findContentBox(PIX *ink, int dpi)
{
    BoxaPtr parts(pixConnCompBB(ink, 8));
    const int count = parts ? boxaGetCount(parts.get()) : 0;
    // Letters are at least about a millimetre tall; dust, toner specks and full stops less.
    const int significant = std::max(2, millimetresToPixels(1.0, dpi));
    // A mark under 2 mm with nothing else within about 10 mm is a speck, not a page number.
    const int speck = std::max(3, millimetresToPixels(2.0, dpi));
    Neighbourhood neighbours(pixGetWidth(ink), pixGetHeight(ink),
                             std::max(1, millimetresToPixels(5.0, dpi)));
    std::vector<PixelRect> marks;
    std::vector<PixelRect> small;
    for (int i = 0; i < count; ++i) {
        const PixelRect r = rectOf(parts.get(), i);
        if (std::max(r.width, r.height) >= significant) {
            marks.push_back(r);
            neighbours.add(r);
        } else {
            small.push_back(r);
        }
    }
    PixelRect box;
    for (const PixelRect &r : marks) {
        if (std::max(r.width, r.height) >= speck || neighbours.hasCompany(r))
            box = united(box, r);
    }
    if (box.isEmpty())
        return box;
    // Full stops, dots and accents beside the content belong to it.
    const int reach = std::max(1, millimetresToPixels(1.5, dpi));
    for (const PixelRect &r : small) {
        if (touches(box, reach, r))
            box = united(box, r);
    }
    return box;
}
