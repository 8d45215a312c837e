#include "PdfLayout.h"

#include <QtGlobal>

namespace {
// An image smaller than a point would divide by zero in the rules; it counts as one point.
QSize wholePoints(const QSizeF &size)
{
    return QSize(qMax(int(size.width()), 1), qMax(int(size.height()), 1));
}
} // namespace

double PdfLayout::centimetresToPoints(double centimetres)
{
    return centimetres * 10 * 72 / 25.4;
}

QSizeF PdfLayout::fitKeepingAspect(const QSizeF &natural, const QSize &available)
{
    const QSize image = wholePoints(natural);
    const double aspect = double(image.width()) / image.height();
    const double sx = double(available.width()) / image.width();
    const double sy = double(available.height()) / image.height();
    int width = sy > sx ? available.width() : int(available.height() * aspect);
    do {
        --width;
    } while (width % 4 != 0 && width > 0);
    width = qMax(width, 0);

    // The whole points above may misjudge the aspect of a small image by a little; a height
    // from the exact aspect that would then leave the area costs further steps of four.
    const double heightPerWidth = natural.height() / natural.width();
    while (width > 0 && width * heightPerWidth > available.height())
        width -= 4;
    return QSizeF(width, width * heightPerWidth);
}

PdfLayout::Placement PdfLayout::place(const QSizeF &page, const QSize &pixels, int dpiX, int dpiY,
                                      const Margins &margins, int scaleMode, bool centred)
{
    Placement placement;
    // Multiplying first keeps whole results exact: 1250 pixels at 300 dpi are 300 points.
    const QSizeF exact(double(pixels.width()) * 72 / dpiX, double(pixels.height()) * 72 / dpiY);
    placement.natural = wholePoints(exact);

    const double left = centimetresToPoints(margins.left);
    const double right = centimetresToPoints(margins.right);
    const double top = centimetresToPoints(margins.top);
    const double bottom = centimetresToPoints(margins.bottom);
    const double availW = page.width() - left - right;
    const double availH = page.height() - top - bottom;
    const QSize available{int(availW), int(availH)};

    const QSize &natural = placement.natural;
    bool atOwnResolution = false;
    switch (scaleMode) {
    case ByDpi:
        // Strict: an image exactly as wide as the area is fitted as well. One that fits is
        // drawn at its exact size, which is less than one point above the whole points
        // compared here and so still inside the area.
        atOwnResolution =
            natural.width() < available.width() && natural.height() < available.height();
        placement.target = atOwnResolution ? exact : fitKeepingAspect(exact, available);
        break;
    case KeepAspect:
        placement.target = fitKeepingAspect(exact, available);
        break;
    default:
        placement.target = QSizeF(available);
        break;
    }

    const QSizeF &target = placement.target;
    // From the drawn size itself, not from the natural size: any rounding between the two
    // would draw the image larger than the area.
    placement.scaleX = atOwnResolution ? 72.0 / dpiX : target.width() / qMax(pixels.width(), 1);
    placement.scaleY = atOwnResolution ? 72.0 / dpiY : target.height() / qMax(pixels.height(), 1);
    if (centred) {
        placement.x = left + 0.5 * (available.width() - target.width());
        placement.y = bottom + 0.5 * (available.height() - target.height());
    } else {
        placement.x = left;
        placement.y = bottom + availH - target.height();
    }
    return placement;
}
