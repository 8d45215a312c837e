#include "PdfLayout.h"

#include <QtGlobal>

double PdfLayout::centimetresToPoints(double centimetres)
{
    return centimetres * 10 * 72 / 25.4;
}

QSize PdfLayout::fitKeepingAspect(const QSize &image, const QSize &available)
{
    const double aspect = double(image.width()) / image.height();
    const double sx = double(available.width()) / image.width();
    const double sy = double(available.height()) / image.height();
    QSize fitted;
    if (sy > sx) {
        fitted.setWidth(available.width());
        fitted.setHeight(int(available.width() / aspect));
    } else {
        fitted.setHeight(available.height());
        fitted.setWidth(int(available.height() * aspect));
    }
    int width = fitted.width();
    do {
        --width;
    } while (width % 4 != 0 && width > 0);
    fitted.setWidth(qMax(width, 0));
    return fitted;
}

PdfLayout::Placement PdfLayout::place(const QSizeF &page, const QSize &pixels, int dpiX, int dpiY,
                                      const Margins &margins, int scaleMode, bool centred)
{
    Placement placement;
    // Multiplying first keeps whole results exact: 1250 pixels at 300 dpi are 300 points.
    const double naturalW = double(pixels.width()) * 72 / dpiX;
    const double naturalH = double(pixels.height()) * 72 / dpiY;
    // An image smaller than a point would divide by zero below; it is drawn one point large.
    placement.natural = QSize(qMax(int(naturalW), 1), qMax(int(naturalH), 1));

    const double left = centimetresToPoints(margins.left);
    const double right = centimetresToPoints(margins.right);
    const double top = centimetresToPoints(margins.top);
    const double bottom = centimetresToPoints(margins.bottom);
    const double availW = page.width() - left - right;
    const double availH = page.height() - top - bottom;
    const QSize available{int(availW), int(availH)};

    const QSize &natural = placement.natural;
    switch (scaleMode) {
    case ByDpi: {
        // Strict: an image exactly as wide as the area is fitted as well.
        const bool fits =
            natural.width() < available.width() && natural.height() < available.height();
        placement.target = fits ? natural : fitKeepingAspect(natural, available);
        break;
    }
    case KeepAspect:
        placement.target = fitKeepingAspect(natural, available);
        break;
    default:
        placement.target = available;
        break;
    }

    const QSize &target = placement.target;
    placement.scaleX = double(target.width()) / natural.width() * 72 / dpiX;
    placement.scaleY = double(target.height()) / natural.height() * 72 / dpiY;
    if (centred) {
        placement.x = left + 0.5 * (available.width() - target.width());
        placement.y = bottom + 0.5 * (available.height() - target.height());
    } else {
        placement.x = left;
        placement.y = bottom + availH - target.height();
    }
    return placement;
}
