#include "Group4Tiff.h"

#include <QCoreApplication>
#include <QFile>

#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {
// A TIFF file in memory for libtiff's client I/O: encoding never touches the disk, so the
// caller can put the bytes in place atomically.
struct MemoryFile
{
    QByteArray data;
    qint64 position = 0;
};

MemoryFile *memory(thandle_t handle)
{
    return static_cast<MemoryFile *>(handle);
}

tmsize_t readProc(thandle_t handle, void *buffer, tmsize_t size)
{
    MemoryFile *file = memory(handle);
    const qint64 available = qMax<qint64>(0, file->data.size() - file->position);
    const qint64 count = qMin<qint64>(size, available);
    memcpy(buffer, file->data.constData() + file->position, size_t(count));
    file->position += count;
    return tmsize_t(count);
}

tmsize_t writeProc(thandle_t handle, void *buffer, tmsize_t size)
{
    MemoryFile *file = memory(handle);
    const qint64 end = file->position + size;
    if (end > file->data.size())
        file->data.resize(end);
    memcpy(file->data.data() + file->position, buffer, size_t(size));
    file->position = end;
    return size;
}

toff_t seekProc(thandle_t handle, toff_t offset, int whence)
{
    MemoryFile *file = memory(handle);
    qint64 base = 0;
    if (whence == SEEK_CUR)
        base = file->position;
    else if (whence == SEEK_END)
        base = file->data.size();
    const qint64 target = base + qint64(offset);
    if (target < 0)
        return toff_t(-1);
    file->position = target;
    return toff_t(target);
}

int closeProc(thandle_t)
{
    return 0;
}

toff_t sizeProc(thandle_t handle)
{
    return toff_t(memory(handle)->data.size());
}

int mapProc(thandle_t, void **, toff_t *)
{
    return 0;
}

void unmapProc(thandle_t, void *, toff_t)
{
}

// libtiff's messages go to the caller instead of stderr; the first error is the one to tell.
int collectError(TIFF *, void *userData, const char *module, const char *format, va_list args)
{
    auto *error = static_cast<QString *>(userData);
    if (error && error->isEmpty()) {
        char text[512];
        vsnprintf(text, sizeof text, format, args);
        *error = QString::fromLocal8Bit(module ? module : "") + QLatin1String(": ") +
                 QString::fromLocal8Bit(text);
    }
    return 1;
}

int ignoreWarning(TIFF *, void *, const char *, const char *, va_list)
{
    return 1;
}

struct TiffCloser
{
    void operator()(TIFF *tiff) const { TIFFClose(tiff); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

TiffHandle open(MemoryFile *file, const char *mode, QString *error)
{
    TIFFOpenOptions *options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, collectError, error);
    TIFFOpenOptionsSetWarningHandlerExtR(options, ignoreWarning, nullptr);
    TIFF *tiff = TIFFClientOpenExt("page", mode, file, readProc, writeProc, seekProc, closeProc,
                                   sizeProc, mapProc, unmapProc, options);
    TIFFOpenOptionsFree(options);
    return TiffHandle(tiff);
}

bool isBlackAndWhite(QRgb a, QRgb b)
{
    const auto black = [](QRgb c) { return (c & 0xffffff) == 0; };
    const auto white = [](QRgb c) { return (c & 0xffffff) == 0xffffff; };
    return (black(a) && white(b)) || (white(a) && black(b));
}
} // namespace

bool Group4Tiff::canEncode(const QImage &image)
{
    if (image.isNull() || image.depth() != 1)
        return false;
    const QList<QRgb> colours = image.colorTable();
    return colours.size() == 2 && isBlackAndWhite(colours.at(0), colours.at(1));
}

QByteArray Group4Tiff::encode(const QImage &image, QString *error)
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return QByteArray();
    };
    if (!canEncode(image))
        return fail(QCoreApplication::translate("Group4Tiff", "not a black-and-white picture"));
    // Qt's Mono is most significant bit first, as a TIFF row; MonoLSB keeps its palette.
    const QImage mono =
        image.format() == QImage::Format_Mono ? image : image.convertToFormat(QImage::Format_Mono);
    const bool zeroIsWhite = (mono.color(0) & 0xffffff) == 0xffffff;

    MemoryFile file;
    QString message;
    TiffHandle tiff = open(&file, "w", &message);
    if (!tiff)
        return fail(message);
    const uint32_t width = uint32_t(mono.width());
    const uint32_t height = uint32_t(mono.height());
    bool ok = TIFFSetField(tiff.get(), TIFFTAG_IMAGEWIDTH, width) &&
              TIFFSetField(tiff.get(), TIFFTAG_IMAGELENGTH, height) &&
              TIFFSetField(tiff.get(), TIFFTAG_BITSPERSAMPLE, 1) &&
              TIFFSetField(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, 1) &&
              TIFFSetField(tiff.get(), TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tiff.get(), TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4) &&
              TIFFSetField(tiff.get(), TIFFTAG_PHOTOMETRIC,
                           zeroIsWhite ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK) &&
              TIFFSetField(tiff.get(), TIFFTAG_FILLORDER, FILLORDER_MSB2LSB) &&
              TIFFSetField(tiff.get(), TIFFTAG_ROWSPERSTRIP, height);
    // The resolution as Qt's own TIFF writer states it, so every reader finds the same dpi.
    const int perMeterX = mono.dotsPerMeterX();
    const int perMeterY = mono.dotsPerMeterY();
    if (perMeterX % 100 == 0 && perMeterY % 100 == 0) {
        ok = ok && TIFFSetField(tiff.get(), TIFFTAG_RESOLUTIONUNIT, RESUNIT_CENTIMETER) &&
             TIFFSetField(tiff.get(), TIFFTAG_XRESOLUTION, perMeterX / 100.0) &&
             TIFFSetField(tiff.get(), TIFFTAG_YRESOLUTION, perMeterY / 100.0);
    } else {
        ok = ok && TIFFSetField(tiff.get(), TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) &&
             TIFFSetField(tiff.get(), TIFFTAG_XRESOLUTION, float(mono.logicalDpiX())) &&
             TIFFSetField(tiff.get(), TIFFTAG_YRESOLUTION, float(mono.logicalDpiY()));
    }
    QByteArray row(mono.bytesPerLine(), '\0'); // libtiff may work in the row it is given
    for (uint32_t y = 0; ok && y < height; ++y) {
        memcpy(row.data(), mono.constScanLine(int(y)), size_t(row.size()));
        ok = TIFFWriteScanline(tiff.get(), row.data(), y, 0) == 1;
    }
    ok = ok && TIFFFlush(tiff.get()) == 1;
    tiff.reset();
    if (!ok || !message.isEmpty())
        return fail(message.isEmpty() ? QStringLiteral("libtiff") : message);
    return file.data;
}

Group4Tiff::Code Group4Tiff::read(const QString &path)
{
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        return {};
    MemoryFile file;
    file.data = source.readAll();
    QString message;
    TiffHandle tiff = open(&file, "r", &message);
    if (!tiff)
        return {};
    uint16_t compression = 0, bits = 0, samples = 0, photometric = 0, fillOrder = 0;
    uint32_t width = 0, height = 0, options = 0;
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_FILLORDER, &fillOrder);
    if (compression != COMPRESSION_CCITTFAX4 || bits != 1 || samples != 1 ||
        fillOrder != FILLORDER_MSB2LSB || TIFFNumberOfStrips(tiff.get()) != 1 ||
        !TIFFGetField(tiff.get(), TIFFTAG_PHOTOMETRIC, &photometric) ||
        (photometric != PHOTOMETRIC_MINISWHITE && photometric != PHOTOMETRIC_MINISBLACK) ||
        !TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height) || width == 0 || height == 0 ||
        width > 0x7fffffff || height > 0x7fffffff)
        return {};
    // Uncompressed mode inside the code is something a PDF reader need not understand.
    if (TIFFGetField(tiff.get(), TIFFTAG_GROUP4OPTIONS, &options) && options != 0)
        return {};
    uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_ORIENTATION, &orientation);
    if (orientation != ORIENTATION_TOPLEFT)
        return {};
    uint64_t *counts = nullptr;
    if (!TIFFGetField(tiff.get(), TIFFTAG_STRIPBYTECOUNTS, &counts) || !counts || counts[0] == 0 ||
        counts[0] > uint64_t(file.data.size()))
        return {};
    QByteArray code(qsizetype(counts[0]), '\0');
    const tmsize_t got = TIFFReadRawStrip(tiff.get(), 0, code.data(), code.size());
    if (got != code.size() || !message.isEmpty())
        return {};
    return {code, QSize(int(width), int(height)), photometric == PHOTOMETRIC_MINISBLACK};
}
