#include "ImageLoading.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cstring>

namespace {
// The translation context of the messages.
struct ImageLoading
{
    Q_DECLARE_TR_FUNCTIONS(ImageLoading)
};

constexpr int MaxSide = 40000;
constexpr qint64 MaxPixels = 600'000'000;
// A 600 dpi A3 colour page is 7016 x 9921 pixels at 4 bytes each, about 280 MB.
constexpr int AllocationLimitMb = 1024;

// Walks the marker segments of a JPEG file up to its end marker. Inside entropy-coded data a
// 0xFF byte is always followed by 0x00 or a restart marker, so any other marker there is real.
bool jpegHasEnd(const uchar *data, qint64 size)
{
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return false;
    qint64 i = 2;
    bool inScan = false;
    while (i < size) {
        if (inScan) {
            const void *found = std::memchr(data + i, 0xFF, size_t(size - i));
            if (!found)
                return false;
            i = static_cast<const uchar *>(found) - data;
            if (i + 1 >= size)
                return false;
            const uchar next = data[i + 1];
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                i += 2;
                continue;
            }
            inScan = false;
        }
        if (data[i] != 0xFF)
            return false;
        while (i < size && data[i] == 0xFF)
            ++i;
        if (i >= size)
            return false;
        const uchar marker = data[i++];
        if (marker == 0xD9)
            return true;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (i + 2 > size)
            return false;
        const qint64 length = (qint64(data[i]) << 8) | data[i + 1];
        if (length < 2 || i + length > size)
            return false;
        i += length;
        inScan = marker == 0xDA;
    }
    return false;
}

bool jpegFileHasEnd(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (uchar *mapped = file.map(0, size)) {
        const bool complete = jpegHasEnd(mapped, size);
        file.unmap(mapped);
        return complete;
    }
    const QByteArray bytes = file.readAll();
    return jpegHasEnd(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size());
}

QImage refuse(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return QImage();
}
} // namespace

QImage readPageImage(const QString &path, QString *error)
{
    const QString name = QFileInfo(path).fileName();
    QImageReader reader(path);
    if (!reader.canRead())
        return refuse(error, ImageLoading::tr("Can't open %1: %2").arg(name, reader.errorString()));

    const QSize size = reader.size();
    if (reader.supportsOption(QImageIOHandler::Size) && !size.isValid())
        return refuse(
            error, ImageLoading::tr("Can't open %1: the picture's header is damaged.").arg(name));
    if (size.isValid() && (size.width() > MaxSide || size.height() > MaxSide ||
                           qint64(size.width()) * size.height() > MaxPixels))
        return refuse(error,
                      ImageLoading::tr("Can't open %1: the picture is too large (%2 x %3 pixels).")
                          .arg(name)
                          .arg(size.width())
                          .arg(size.height()));

    // The JPEG decoder fills a cut-off file with grey and only warns; such a file must not
    // pass for a good page.
    if (reader.format() == "jpeg" && !jpegFileHasEnd(path))
        return refuse(error, ImageLoading::tr("Can't open %1: the file is incomplete.").arg(name));

    QImage image = reader.read();
    if (image.isNull())
        return refuse(error, ImageLoading::tr("Can't open %1: %2").arg(name, reader.errorString()));
    if (error)
        error->clear();
    return image;
}

void raiseImageAllocationLimit()
{
    QImageReader::setAllocationLimit(AllocationLimitMb);
}
