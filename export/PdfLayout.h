#pragma once

#include <QSize>
#include <QSizeF>

// Where one page image goes on its PDF page. All lengths in points (1/72 inch), origin at the
// bottom-left corner of the page as in PDF. Pure arithmetic, used by the writer and by the
// print preview so that both show the same layout. Any thread.
class PdfLayout
{
public:
    enum ScaleMode
    {
        ByDpi = 0,      // natural size from the image's resolution, fitted when too large
        Stretch = 1,    // the whole area inside the margins, aspect not kept
        KeepAspect = 2, // as large as the area allows, aspect kept
    };

    // Margins in centimetres, as the user enters them.
    struct Margins
    {
        double left = 0;
        double right = 0;
        double top = 0;
        double bottom = 0;
    };

    struct Placement
    {
        // Lower-left corner of the image.
        double x = 0;
        double y = 0;
        // Factors the writer draws one image pixel with.
        double scaleX = 0;
        double scaleY = 0;
        // Size the image is drawn at: scaleX and scaleY times its pixels, never larger than the
        // area inside the margins.
        QSizeF target;
        // Natural size from the resolution, whole points, as the layout rules compare it.
        QSize natural;
    };

    static double centimetresToPoints(double centimetres);

    // Largest size inside available that keeps natural's aspect. The rules decide on whole
    // points: the width is lowered to a multiple of four, by at least one point (401 -> 400,
    // 400 -> 396); the height then follows from that width and the exact aspect.
    static QSizeF fitKeepingAspect(const QSizeF &natural, const QSize &available);

    // page: the paper in points; pixels and dpi: the image; centred: "By Page Center".
    static Placement place(const QSizeF &page, const QSize &pixels, int dpiX, int dpiY,
                           const Margins &margins, int scaleMode, bool centred);
};
