#include "Gutter.h"

#include <algorithm>
#include <vector>

namespace {
// The gutter is searched in the middle half of the spread: a book laid on the glass is
// rarely further off-centre than that.
constexpr double SearchFrom = 0.25;
constexpr double SearchTo = 0.75;
// Shading deeper than this (grey levels) below the band's median marks the binding.
constexpr double MinShade = 6.0;

std::vector<double> boxSmoothed(const std::vector<double> &values, int radius)
{
    std::vector<double> sums(values.size() + 1, 0.0);
    for (std::size_t i = 0; i < values.size(); ++i)
        sums[i + 1] = sums[i] + values[i];
    std::vector<double> smoothed(values.size());
    const int size = static_cast<int>(values.size());
    for (int i = 0; i < size; ++i) {
        const int from = std::max(0, i - radius);
        const int to = std::min(size, i + radius + 1);
        smoothed[i] = (sums[to] - sums[from]) / (to - from);
    }
    return smoothed;
}

std::vector<double> columnInk(PIX *ink)
{
    const int height = pixGetHeight(ink);
    // Tall marks are shadows and rules along the binding, not the pages' text.
    PixPtr text(pixSelectBySize(ink, 0, height / 2, 8, L_SELECT_HEIGHT, L_SELECT_IF_LT, nullptr));
    NumaPtr counts(pixCountPixelsByColumn(text ? text.get() : ink));
    std::vector<double> values(pixGetWidth(ink), 0.0);
    for (std::size_t i = 0; i < values.size() && counts; ++i) {
        l_float32 value = 0.0f;
        numaGetFValue(counts.get(), static_cast<l_int32>(i), &value);
        values[i] = value;
    }
    return values;
}

std::vector<double> columnBrightness(PIX *grey)
{
    NumaPtr means(pixAverageByColumn(grey, nullptr, L_WHITE_IS_MAX));
    std::vector<double> values(pixGetWidth(grey), 255.0);
    for (std::size_t i = 0; i < values.size() && means; ++i) {
        l_float32 value = 255.0f;
        numaGetFValue(means.get(), static_cast<l_int32>(i), &value);
        values[i] = value;
    }
    return values;
}

// The darkest column of [from, to) if it is clearly shaded, else the middle of the range.
int darkestOrMiddle(const std::vector<double> &brightness, int from, int to)
{
    std::vector<double> band(brightness.begin() + from, brightness.begin() + to);
    std::nth_element(band.begin(), band.begin() + band.size() / 2, band.end());
    const double median = band[band.size() / 2];
    const auto darkest = std::min_element(brightness.begin() + from, brightness.begin() + to);
    if (median - *darkest >= MinShade)
        return static_cast<int>(darkest - brightness.begin());
    return (from + to) / 2;
}
} // namespace

int findGutter(PIX *grey, PIX *ink, int dpi)
{
    const int width = pixGetWidth(grey);
    const int from = static_cast<int>(width * SearchFrom);
    const int to = std::max(from + 1, static_cast<int>(width * SearchTo));
    const std::vector<double> inkByColumn =
        boxSmoothed(columnInk(ink), std::max(1, millimetresToPixels(1.0, dpi)));
    const std::vector<double> brightness =
        boxSmoothed(columnBrightness(grey), std::max(1, millimetresToPixels(1.5, dpi)));

    // Columns (nearly) free of ink form the candidate bands between the two pages.
    const double least = *std::min_element(inkByColumn.begin() + from, inkByColumn.begin() + to);
    const double allowed = least + std::max(1.0, pixGetHeight(grey) * 0.002);
    int bestFrom = -1;
    int bestTo = -1;
    double bestScore = 0.0;
    for (int x = from; x < to;) {
        if (inkByColumn[x] > allowed) {
            ++x;
            continue;
        }
        const int runFrom = x;
        while (x < to && inkByColumn[x] <= allowed)
            ++x;
        // Wide bands near the middle win.
        const double centre = (runFrom + x) / 2.0;
        const double score = (x - runFrom) - 0.5 * std::abs(centre - width / 2.0);
        if (bestFrom < 0 || score > bestScore) {
            bestFrom = runFrom;
            bestTo = x;
            bestScore = score;
        }
    }
    if (bestFrom < 0)
        return darkestOrMiddle(brightness, from, to);
    return darkestOrMiddle(brightness, bestFrom, bestTo);
}
