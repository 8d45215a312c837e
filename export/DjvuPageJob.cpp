#include "DjvuPageJob.h"

#include "ImageFileWriter.h"
#include "ImageHeader.h"
#include "PageFileCheck.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>

namespace {
// The resolutions the encoders accept; outside them they refuse to run.
constexpr int minDpi = 25;
constexpr int maxWaveletDpi = 4800;
constexpr int maxBitonalDpi = 1200;

QString positionStem(int position)
{
    return QStringLiteral("%1").arg(position + 1, 5, 10, QLatin1Char('0'));
}

bool isOneBit(QImage::Format format)
{
    return format == QImage::Format_Mono || format == QImage::Format_MonoLSB;
}
} // namespace

QString DjvuPageJob::outputName(int position)
{
    return positionStem(position) + QStringLiteral(".djvu");
}

QString DjvuPageJob::toolName() const
{
    return m_encoder == Encoder::Bitonal ? QStringLiteral("cjb2") : QStringLiteral("c44");
}

DjvuPageJob DjvuPageJob::prepare(const QString &page, int position, const QString &workFolder,
                                 int percent)
{
    DjvuPageJob job;
    const QString stem = workFolder + QLatin1Char('/') + positionStem(position);
    job.m_output = workFolder + QLatin1Char('/') + outputName(position);
    // The encoders fill a page cut short with grey and report success.
    const PageFileCheck check = PageFileCheck::check(page);
    if (!check) {
        job.m_error = check.pageMessage(position);
        return job;
    }
    QImageReader reader(page);
    if (!reader.canRead()) {
        job.m_error = PageFileCheck::pageMessage(position, page, reader.errorString());
        return job;
    }
    QString input;
    int dpi = ImageHeader::defaultDpi;
    const QImage::Format format = reader.imageFormat();
    // JPEG pages and the store's black-and-white TIFF pages are handed over as they are:
    // no second lossy step, no decoding here.
    const bool jpeg = reader.format() == "jpeg" && format != QImage::Format_Invalid;
    if ((jpeg && !isOneBit(format)) || (reader.format() == "tiff" && isOneBit(format))) {
        input = QFileInfo(page).absoluteFilePath();
        dpi = ImageHeader::read(page).dpiX();
        job.m_encoder = jpeg ? Encoder::Wavelet : Encoder::Bitonal;
    } else {
        const QImage image = reader.read();
        if (image.isNull()) {
            job.m_error = PageFileCheck::pageMessage(position, page, reader.errorString());
            return job;
        }
        dpi = image.logicalDpiX();
        WriteResult written;
        if (isOneBit(image.format())) {
            job.m_encoder = Encoder::Bitonal;
            input = stem + QStringLiteral(".pbm");
            written = writeImageFile(image, input, "PBM");
        } else if (image.isGrayscale()) {
            input = stem + QStringLiteral(".pgm");
            written =
                writeImageFile(image.convertToFormat(QImage::Format_Grayscale8), input, "PGM");
        } else {
            input = stem + QStringLiteral(".ppm");
            written = writeImageFile(image.convertToFormat(QImage::Format_RGB32), input, "PPM");
        }
        if (!written) {
            job.m_error = written.error;
            return job;
        }
    }

    if (job.m_encoder == Encoder::Bitonal) {
        dpi = qBound(minDpi, dpi, maxBitonalDpi);
        job.m_arguments = {QStringLiteral("-dpi"), QString::number(dpi), input, job.m_output};
    } else {
        dpi = qBound(minDpi, dpi, maxWaveletDpi);
        job.m_arguments = {QStringLiteral("-dpi"),
                           QString::number(dpi),
                           QStringLiteral("-percent"),
                           QString::number(percent),
                           input,
                           job.m_output};
    }
    return job;
}
