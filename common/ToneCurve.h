#pragma once

#include <QImage>
#include <array>
#include <cstdint>

// Brightness and contrast as percentages. The table maps each level i to
// (i - 128) * (contrast + 100) / 100 + 128 + brightness * 255 / 100, rounded and clamped.
std::array<std::uint8_t, 256> toneCurveTable(double brightness, double contrast);

// Changes 8-, 24- and 32-bit images in place (the first three bytes of a pixel; a fourth byte
// is left alone) and returns true. Any other depth is left untouched and gives false.
// Any thread; the caller owns the image.
bool applyToneCurve(QImage &image, double brightness, double contrast);
