#include "DibBuffer.h"

#include <QtEndian>

namespace {
template <typename T> void put(QByteArray &bytes, T value)
{
    const T little = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char *>(&little), sizeof(T));
}

template <typename T> T get(const char *data, int offset)
{
    return qFromLittleEndian<T>(data + offset);
}
} // namespace

DibBuffer DibBuffer::create(const Header &header, const QList<QRgb> &palette,
                            const QList<quint32> &masks, const QByteArray &pixels)
{
    QByteArray bytes;
    bytes.reserve(HeaderSize + 4 * (palette.size() + masks.size()) + pixels.size());
    put(bytes, header.headerSize);
    put(bytes, header.width);
    put(bytes, header.height);
    put(bytes, header.planes);
    put(bytes, header.bitCount);
    put(bytes, header.compression);
    put(bytes, header.imageSize);
    put(bytes, header.xPixelsPerMeter);
    put(bytes, header.yPixelsPerMeter);
    put(bytes, header.coloursUsed);
    put(bytes, header.coloursImportant);
    for (const quint32 mask : masks)
        put(bytes, mask);
    for (const QRgb colour : palette) {
        bytes.append(char(qBlue(colour)));
        bytes.append(char(qGreen(colour)));
        bytes.append(char(qRed(colour)));
        bytes.append('\0');
    }
    bytes.append(pixels);
    return DibBuffer(bytes);
}

std::optional<DibBuffer::Header> DibBuffer::header() const
{
    if (m_bytes.size() < HeaderSize)
        return std::nullopt;
    const char *data = m_bytes.constData();
    Header header;
    header.headerSize = get<quint32>(data, 0);
    header.width = get<qint32>(data, 4);
    header.height = get<qint32>(data, 8);
    header.planes = get<quint16>(data, 12);
    header.bitCount = get<quint16>(data, 14);
    header.compression = get<quint32>(data, 16);
    header.imageSize = get<quint32>(data, 20);
    header.xPixelsPerMeter = get<qint32>(data, 24);
    header.yPixelsPerMeter = get<qint32>(data, 28);
    header.coloursUsed = get<quint32>(data, 32);
    header.coloursImportant = get<quint32>(data, 36);
    return header;
}

qint64 DibBuffer::bytesPerLine(qint64 width, int bitCount)
{
    return ((width * bitCount + 31) / 32) * 4;
}
