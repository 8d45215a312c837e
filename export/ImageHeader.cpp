#include "ImageHeader.h"

#include <QFile>
#include <QImage>
#include <QtEndian>

#include <cmath>

namespace {
// Enough for the JFIF segment and the frame header of every ordinary JPEG file; files whose
// frame header lies further (after large metadata) are read through Qt.
constexpr qint64 jpegScanLimit = 1 << 20;

// Dots per inch as QImage::logicalDpiX() reports it for a dots-per-metre value.
int dpiFromDotsPerMeter(int dotsPerMeter)
{
    return qRound(dotsPerMeter * 0.0254);
}

class TiffReader
{
public:
    TiffReader(const QByteArray &data, bool bigEndian) : m_data(data), m_bigEndian(bigEndian) {}

    bool has(qint64 offset, qint64 length) const
    {
        return offset >= 0 && length >= 0 && offset + length <= m_data.size();
    }
    quint16 u16(qint64 offset) const
    {
        const auto *p = reinterpret_cast<const uchar *>(m_data.constData() + offset);
        return m_bigEndian ? qFromBigEndian<quint16>(p) : qFromLittleEndian<quint16>(p);
    }
    quint32 u32(qint64 offset) const
    {
        const auto *p = reinterpret_cast<const uchar *>(m_data.constData() + offset);
        return m_bigEndian ? qFromBigEndian<quint32>(p) : qFromLittleEndian<quint32>(p);
    }

private:
    const QByteArray &m_data;
    bool m_bigEndian;
};
} // namespace

ImageHeader ImageHeader::read(const QString &path)
{
    ImageHeader header;
    const QString suffix = path.section(QLatin1Char('.'), -1).toLower();
    bool done = false;
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        done = header.readJpeg(path);
    else if (suffix == QLatin1String("tif") || suffix == QLatin1String("tiff"))
        done = header.readTiff(path);
    if (!done) {
        header = ImageHeader();
        header.readThroughQt(path);
    }
    return header;
}

bool ImageHeader::readJpeg(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.read(jpegScanLimit);
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const qint64 size = data.size();
    if (size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return false;

    qint64 pos = 2;
    while (pos + 4 <= size) {
        if (bytes[pos] != 0xFF)
            return false;
        const uchar marker = bytes[pos + 1];
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2; // markers without a length
            continue;
        }
        const int length = qFromBigEndian<quint16>(bytes + pos + 2);
        const qint64 body = pos + 4;
        if (length < 2 || body + length - 2 > size)
            return false;
        if (marker == 0xE0 && length >= 16 && memcmp(bytes + body, "JFIF\0", 5) == 0) {
            const int units = bytes[body + 7];
            const int x = qFromBigEndian<quint16>(bytes + body + 8);
            const int y = qFromBigEndian<quint16>(bytes + body + 10);
            // Qt's JPEG reader: 1 = per inch, 2 = per centimetre, otherwise no resolution.
            if (units == 1)
                setDotsPerMeter(int(100. * x / 2.54), int(100. * y / 2.54));
            else if (units == 2)
                setDotsPerMeter(int(100. * x), int(100. * y));
        }
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (length < 7)
                return false;
            m_size = QSize(qFromBigEndian<quint16>(bytes + body + 3),
                           qFromBigEndian<quint16>(bytes + body + 1));
            return isValid();
        }
        if (marker == 0xDA || marker == 0xD9)
            return false; // image data before any frame header
        pos = body + length - 2;
    }
    return false;
}

bool ImageHeader::readTiff(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(8);
    if (head.size() < 8)
        return false;
    bool bigEndian;
    if (head.startsWith("II*"))
        bigEndian = false;
    else if (head.startsWith("MM\0*"))
        bigEndian = true;
    else
        return false; // BigTIFF and anything else: through Qt

    const TiffReader headReader(head, bigEndian);
    const quint32 ifdOffset = headReader.u32(4);
    if (!file.seek(ifdOffset))
        return false;
    const QByteArray countBytes = file.read(2);
    if (countBytes.size() < 2)
        return false;
    const int count = TiffReader(countBytes, bigEndian).u16(0);
    const QByteArray entries = file.read(qint64(count) * 12);
    if (entries.size() < qint64(count) * 12)
        return false;
    const TiffReader reader(entries, bigEndian);

    // A RATIONAL value lies elsewhere in the file; read it when its tag is met.
    auto rational = [&file, bigEndian](quint32 offset, double *value) {
        if (!file.seek(offset))
            return false;
        const QByteArray raw = file.read(8);
        if (raw.size() < 8)
            return false;
        const TiffReader r(raw, bigEndian);
        const quint32 denominator = r.u32(4);
        if (denominator == 0)
            return false;
        // libtiff hands the value to Qt as a float.
        *value = float(double(r.u32(0)) / denominator);
        return true;
    };

    quint32 width = 0;
    quint32 height = 0;
    double resX = 0;
    double resY = 0;
    bool hasResX = false;
    bool hasResY = false;
    int unit = 2; // TIFF's default: inch
    for (int i = 0; i < count; ++i) {
        const qint64 e = qint64(i) * 12;
        const quint16 tag = reader.u16(e);
        const quint16 type = reader.u16(e + 2);
        const quint32 value = type == 3 ? reader.u16(e + 8) : reader.u32(e + 8);
        switch (tag) {
        case 256:
            width = value;
            break;
        case 257:
            height = value;
            break;
        case 282:
            hasResX = type == 5 && rational(value, &resX);
            break;
        case 283:
            hasResY = type == 5 && rational(value, &resY);
            break;
        case 296:
            unit = value;
            break;
        default:
            break;
        }
    }
    m_size = QSize(int(width), int(height));
    // Qt's TIFF reader: resolution in centimetres or inches, otherwise none.
    if (hasResX && hasResY) {
        if (unit == 3)
            setDotsPerMeter(qRound(resX * 100), qRound(resY * 100));
        else if (unit == 2)
            setDotsPerMeter(qRound(resX * (100 / 2.54)), qRound(resY * (100 / 2.54)));
    }
    return isValid();
}

void ImageHeader::readThroughQt(const QString &path)
{
    const QImage image(path);
    if (image.isNull())
        return;
    m_size = image.size();
    m_dpiX = image.logicalDpiX() > 0 ? image.logicalDpiX() : defaultDpi;
    m_dpiY = image.logicalDpiY() > 0 ? image.logicalDpiY() : defaultDpi;
}

void ImageHeader::setDotsPerMeter(int x, int y)
{
    // A stated resolution of zero would make the page size infinite; Qt's default stays.
    if (dpiFromDotsPerMeter(x) > 0)
        m_dpiX = dpiFromDotsPerMeter(x);
    if (dpiFromDotsPerMeter(y) > 0)
        m_dpiY = dpiFromDotsPerMeter(y);
}
