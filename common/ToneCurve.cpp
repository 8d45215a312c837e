#include "ToneCurve.h"

#include <algorithm>
#include <cmath>

std::array<std::uint8_t, 256> toneCurveTable(double brightness, double contrast)
{
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        const double v =
            (i - 128) * (contrast + 100.0) / 100.0 + 128.0 + brightness * 255.0 / 100.0;
        table[i] = static_cast<std::uint8_t>(std::floor(std::clamp(v, 0.0, 255.0) + 0.5));
    }
    return table;
}

bool applyToneCurve(QImage &image, double brightness, double contrast)
{
    const int depth = image.depth();
    if (depth != 8 && depth != 24 && depth != 32)
        return false;
    const auto table = toneCurveTable(brightness, contrast);
    const int bytesPerPixel = depth / 8;
    const int changedBytes = std::min(bytesPerPixel, 3);
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        uchar *pixel = image.scanLine(y);
        for (int x = 0; x < width; ++x, pixel += bytesPerPixel) {
            for (int b = 0; b < changedBytes; ++b)
                pixel[b] = table[pixel[b]];
        }
    }
    return true;
}
