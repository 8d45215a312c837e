#include "DibView.h"

#include <QtEndian>

namespace {
bool fail(QString *reason, const char *text)
{
    if (reason)
        *reason = QString::fromLatin1(text);
    return false;
}

bool knownBitCount(int bits)
{
    switch (bits) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
    case 48:
    case 64:
    case 96:
        return true;
    default:
        return false;
    }
}

// Compressions the conversion can read, per bit count; anything else is refused up front.
bool knownCompression(int bits, quint32 compression)
{
    switch (compression) {
    case DibBuffer::Uncompressed:
        return true;
    case DibBuffer::RunLength4:
        return bits == 4;
    case DibBuffer::BitFields:
        return bits == 16 || bits == 32;
    default:
        return false;
    }
}
} // namespace

std::optional<DibView> DibView::create(const DibBuffer &dib, QString *reason)
{
    const std::optional<DibBuffer::Header> header = dib.header();
    if (!header) {
        fail(reason, "block shorter than a bitmap header");
        return std::nullopt;
    }
    const DibBuffer::Header &h = *header;
    if (h.headerSize != DibBuffer::HeaderSize) {
        fail(reason, "header size is not 40 bytes");
        return std::nullopt;
    }
    // qint64 throughout: a hostile height of INT_MIN must not overflow when negated.
    const qint64 width = h.width;
    const qint64 height = h.height > 0 ? qint64(h.height) : -qint64(h.height);
    if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide ||
        width * height > MaxPixels) {
        fail(reason, "width or height out of range");
        return std::nullopt;
    }
    if (!knownBitCount(h.bitCount)) {
        fail(reason, "unknown bit count");
        return std::nullopt;
    }
    if (!knownCompression(h.bitCount, h.compression)) {
        fail(reason, "compression does not fit the bit count");
        return std::nullopt;
    }

    qint64 entries = h.coloursUsed;
    if (entries == 0 && h.bitCount <= 8)
        entries = qint64(1) << h.bitCount;
    if (entries > 256) {
        fail(reason, "palette larger than 256 entries");
        return std::nullopt;
    }
    const qint64 size = dib.size();
    const qint64 masksBytes = h.compression == DibBuffer::BitFields ? 12 : 0;
    const qint64 paletteOffset = DibBuffer::HeaderSize + masksBytes;
    const qint64 pixelOffset = paletteOffset + 4 * entries;
    if (pixelOffset > size) {
        fail(reason, "palette or masks beyond the block");
        return std::nullopt;
    }

    const qint64 available = size - pixelOffset;
    if (h.imageSize > available) {
        fail(reason, "stated image size beyond the block");
        return std::nullopt;
    }
    const qint64 stride = DibBuffer::bytesPerLine(width, h.bitCount);
    qint64 pixelBytes = available;
    if (h.compression == DibBuffer::RunLength4) {
        // The run-length stream is as long as stated, or runs to the end of the block.
        if (h.imageSize != 0)
            pixelBytes = h.imageSize;
    } else if (stride * height > available) {
        fail(reason, "pixel data truncated");
        return std::nullopt;
    }

    DibView view;
    view.m_header = h;
    view.m_block = reinterpret_cast<const uchar *>(dib.bytes().constData());
    view.m_pixels = view.m_block + pixelOffset;
    view.m_pixelBytes = pixelBytes;
    view.m_bytesPerLine = stride;
    view.m_width = int(width);
    view.m_height = int(height);
    view.m_topDown = h.height <= 0;
    view.m_paletteEntries = int(entries);
    view.m_paletteOffset = paletteOffset;
    return view;
}

QRgb DibView::paletteColour(int index) const
{
    if (index < 0 || index >= m_paletteEntries)
        return qRgb(0, 0, 0);
    const uchar *entry = m_block + m_paletteOffset + 4 * index;
    return qRgb(entry[2], entry[1], entry[0]);
}

quint32 DibView::mask(int channel) const
{
    if (m_header.compression != DibBuffer::BitFields || channel < 0 || channel > 2)
        return 0;
    return qFromLittleEndian<quint32>(m_block + DibBuffer::HeaderSize + 4 * channel);
}

const uchar *DibView::imageRow(int row) const
{
    const int stored = m_topDown ? row : m_height - 1 - row;
    return m_pixels + qint64(stored) * m_bytesPerLine;
}
