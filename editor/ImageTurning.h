#pragma once

#include <QImage>

// The image turned clockwise by degrees (negative: anticlockwise). Quarter and half turns move
// pixels exactly and keep the pixel format, colour table and resolution (swapped for quarter
// turns), so a 1-bit page stays 1-bit. Other angles are filtered; the uncovered corners are
// white paper and the result keeps a 1-bit or grey format when the image had one.
// A null image when memory runs out. Any thread; the caller owns the result.
QImage turnedImage(const QImage &image, int degrees);
