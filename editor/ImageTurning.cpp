#include "ImageTurning.h"

#include <QPainter>
#include <QTransform>

namespace {
// Bit x of a 1-bit scan line, in the bit order of the format.
inline bool bitAt(const uchar *line, int x, bool lsbFirst)
{
    const int shift = lsbFirst ? (x & 7) : 7 - (x & 7);
    return (line[x >> 3] >> shift) & 1;
}

inline void setBit(uchar *line, int x, bool lsbFirst)
{
    const int shift = lsbFirst ? (x & 7) : 7 - (x & 7);
    line[x >> 3] |= uchar(1u << shift);
}

// quarterTurns clockwise, 1 to 3. Works on the bits directly: the generic pixel paths of the
// toolkit would be slow on a 35-megapixel page and must not change the format.
QImage turnedBits(const QImage &image, int quarterTurns)
{
    const int w = image.width();
    const int h = image.height();
    const bool swapSides = quarterTurns != 2;
    QImage out(swapSides ? h : w, swapSides ? w : h, image.format());
    if (out.isNull())
        return out;
    out.setColorTable(image.colorTable());
    out.fill(0);
    const bool lsbFirst = image.format() == QImage::Format_MonoLSB;
    uchar *bits = out.bits();
    const qsizetype stride = out.bytesPerLine();
    for (int y = 0; y < h; ++y) {
        const uchar *line = image.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            if (!bitAt(line, x, lsbFirst))
                continue;
            int nx = y;
            int ny = w - 1 - x;
            if (quarterTurns == 1) {
                nx = h - 1 - y;
                ny = x;
            } else if (quarterTurns == 2) {
                nx = w - 1 - x;
                ny = h - 1 - y;
            }
            setBit(bits + ny * stride, nx, lsbFirst);
        }
    }
    return out;
}

QImage turnedByAngle(const QImage &image, int degrees)
{
    const QImage turned = image.transformed(QTransform().rotate(degrees), Qt::SmoothTransformation);
    QImage page(turned.size(), QImage::Format_RGB32);
    if (page.isNull())
        return page;
    page.fill(Qt::white);
    QPainter(&page).drawImage(0, 0, turned);
    if (image.depth() == 1)
        return page.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    if (image.format() == QImage::Format_Grayscale8)
        return page.convertToFormat(QImage::Format_Grayscale8);
    return page;
}
} // namespace

QImage turnedImage(const QImage &image, int degrees)
{
    const int angle = ((degrees % 360) + 360) % 360;
    if (image.isNull() || angle == 0)
        return image;
    if (angle % 90 != 0) {
        QImage page = turnedByAngle(image, angle);
        page.setDotsPerMeterX(image.dotsPerMeterX());
        page.setDotsPerMeterY(image.dotsPerMeterY());
        return page;
    }
    const int quarterTurns = angle / 90;
    QImage out;
    if (image.depth() == 1) {
        out = turnedBits(image, quarterTurns);
    } else {
        // An exact quarter-turn matrix with fast transformation moves pixels without filtering.
        const QTransform turn = quarterTurns == 1   ? QTransform(0, 1, -1, 0, 0, 0)
                                : quarterTurns == 2 ? QTransform(-1, 0, 0, -1, 0, 0)
                                                    : QTransform(0, -1, 1, 0, 0, 0);
        out = image.transformed(turn, Qt::FastTransformation);
    }
    if (out.isNull())
        return out;
    const bool swapSides = quarterTurns != 2;
    out.setDotsPerMeterX(swapSides ? image.dotsPerMeterY() : image.dotsPerMeterX());
    out.setDotsPerMeterY(swapSides ? image.dotsPerMeterX() : image.dotsPerMeterY());
    return out;
}
