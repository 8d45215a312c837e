#include "HImage.h"

#include "DibNormaliser.h"
#include "DibView.h"

#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcDib, "quillary.scan.dib")

QImage::Format sixteenBitFormat(const DibView &view)
{
    if (view.compression() != DibBuffer::BitFields)
        return QImage::Format_RGB555;
    if (view.mask(0) == 0xF800 && view.mask(1) == 0x07E0 && view.mask(2) == 0x001F)
        return QImage::Format_RGB16;
    if (view.mask(0) == 0x0F00 && view.mask(1) == 0x00F0 && view.mask(2) == 0x000F)
        return QImage::Format_RGB444;
    return QImage::Format_RGB555;
}
} // namespace

HImage::HImage(const DibBuffer &dib) : QImage(fromDib(dib))
{
}

QImage HImage::fromDib(const DibBuffer &dib)
{
    QString reason;
    const std::optional<DibView> view = DibView::create(dib, &reason);
    if (!view) {
        qCWarning(lcDib) << "bitmap refused:" << reason;
        return {};
    }
    if (view->bitCount() < 8 || view->bitCount() > 32) {
        const std::optional<DibBuffer> normalised = DibNormaliser::normalise(*view);
        if (!normalised) {
            qCWarning(lcDib) << "no conversion for" << view->bitCount() << "bits per pixel";
            return {};
        }
        return fromDib(*normalised);
    }

    QImage::Format format = QImage::Format_Invalid;
    switch (view->bitCount()) {
    case 8:
        format = QImage::Format_Indexed8;
        break;
    case 16:
        format = sixteenBitFormat(*view);
        break;
    case 24:
        format = QImage::Format_RGB888;
        break;
    case 32:
        format = QImage::Format_RGB32;
        break;
    default:
        qCWarning(lcDib) << "no conversion for" << view->bitCount() << "bits per pixel";
        return {};
    }

    // Wrap the stored rows in their stored order, then copy upright.
    const QImage stored(view->pixels(), view->width(), view->height(),
                        qsizetype(view->bytesPerLine()), format);
    QImage image = view->isTopDown() ? stored.copy() : stored.mirrored(false, true);
    if (format == QImage::Format_Indexed8) {
        QList<QRgb> colours(view->paletteEntries());
        for (int i = 0; i < view->paletteEntries(); ++i)
            colours[i] = view->paletteColour(i);
        image.setColorTable(colours);
    }
    if (format == QImage::Format_RGB888)
        image = std::move(image).rgbSwapped();
    image.setDotsPerMeterX(view->header().xPixelsPerMeter);
    image.setDotsPerMeterY(view->header().yPixelsPerMeter);
    return image;
}
