#pragma once

#include <QByteArray>
#include <QList>
#include <QRgb>

#include <optional>

// A device-independent bitmap as a scanner hands it over: one owned byte block holding a
// 40-byte BITMAPINFOHEADER, the palette (or three colour masks) and the pixels, all
// little-endian. Nothing here trusts the header; DibView checks it before pixels are read.
// A plain value type: any thread, but one object is not shared between threads.
class DibBuffer
{
public:
    static constexpr int HeaderSize = 40;

    enum Compression : quint32
    {
        Uncompressed = 0,
        RunLength8 = 1,
        RunLength4 = 2,
        BitFields = 3,
    };

    // The header fields under readable names, in their stored order.
    struct Header
    {
        quint32 headerSize = HeaderSize;
        qint32 width = 0;
        // Positive: rows stored bottom-up; zero or negative: top-down.
        qint32 height = 0;
        quint16 planes = 1;
        quint16 bitCount = 0;
        quint32 compression = Uncompressed;
        quint32 imageSize = 0;
        qint32 xPixelsPerMeter = 0;
        qint32 yPixelsPerMeter = 0;
        quint32 coloursUsed = 0;
        quint32 coloursImportant = 0;
    };

    DibBuffer() = default;
    explicit DibBuffer(QByteArray bytes) : m_bytes(std::move(bytes)) {}

    // Header, then the palette (stored blue, green, red, reserved), then the three masks
    // when given, then the pixels: the layout a driver delivers.
    static DibBuffer create(const Header &header, const QList<QRgb> &palette,
                            const QList<quint32> &masks, const QByteArray &pixels);

    // The stored header, or nothing when the block is shorter than a header.
    std::optional<Header> header() const;

    const QByteArray &bytes() const { return m_bytes; }
    qsizetype size() const { return m_bytes.size(); }

    // Bytes per stored row for a width and bit count: rows are padded to 32 bits.
    static qint64 bytesPerLine(qint64 width, int bitCount);

private:
    QByteArray m_bytes;
};
