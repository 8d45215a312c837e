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

// The fields of a 1-bit Group 4 file in one strip, so that its code is one stream.
bool setOneStripFields(TIFF *tiff, uint32_t width, uint32_t height, uint16_t photometric)
{
    return TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width) &&
           TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height) &&
           TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1) &&
           TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1) &&
           TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
           TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4) &&
           TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, photometric) &&
           TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB) &&
           TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, height);
}

// The raw data of the first strip of a file open for reading; empty when it can't be read whole.
QByteArray oneStripCode(TIFF *tiff, qint64 fileSize)
{
    uint64_t *counts = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_STRIPBYTECOUNTS, &counts) || !counts || counts[0] == 0 ||
        counts[0] > uint64_t(fileSize))
        return {};
    QByteArray code(qsizetype(counts[0]), '\0');
    if (TIFFReadRawStrip(tiff, 0, code.data(), code.size()) != code.size())
        return {};
    return code;
}

// Every strip of a Group 4 file is a code of its own, begun afresh at its first row, so
// strips joined are no single code. Their rows are coded again as one stream, row by row:
// lossless, and as small as a file written in one strip. Empty when a row can't be read.
QByteArray codeAsOneStrip(TIFF *source, uint32_t width, uint32_t height, uint16_t photometric)
{
    MemoryFile file;
    QString message;
    TiffHandle target = open(&file, "w", &message);
    if (!target || !setOneStripFields(target.get(), width, height, photometric))
        return {};
    QByteArray row(qsizetype(TIFFScanlineSize(source)), '\0');
    for (uint32_t y = 0; y < height; ++y) {
        if (TIFFReadScanline(source, row.data(), y, 0) != 1 ||
            TIFFWriteScanline(target.get(), row.data(), y, 0) != 1)
            return {};
    }
    if (TIFFFlush(target.get()) != 1 || !message.isEmpty())
        return {};
    target.reset();
    file.position = 0;
    const TiffHandle written = open(&file, "r", &message);
    return written ? oneStripCode(written.get(), file.data.size()) : QByteArray();
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
    bool ok = setOneStripFields(tiff.get(), width, height,
                                zeroIsWhite ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK);
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
        fillOrder != FILLORDER_MSB2LSB || TIFFIsTiled(tiff.get()) ||
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
    const QByteArray code = TIFFNumberOfStrips(tiff.get()) > 1
                                ? codeAsOneStrip(tiff.get(), width, height, photometric)
                                : oneStripCode(tiff.get(), file.data.size());
    if (code.isEmpty() || !message.isEmpty())
        return {};
    return {code, QSize(int(width), int(height)), photometric == PHOTOMETRIC_MINISBLACK};
}
