#pragma once

#include "DibBuffer.h"

#include <QString>

// A checked, read-only view of a DibBuffer. create() checks every size the header states
// (width, height, bit count, compression, palette entries, masks, bytes per line, image size)
// against the block before anything else reads it, so the readers below never leave the
// block. The view does not own the buffer; the buffer must outlive it. Any thread.
class DibView
{
public:
    // Each side and the pixel count are capped so that a bogus header cannot make a
    // conversion allocate gigabytes; a 1200 dpi Letter page fits well inside.
    static constexpr qint32 MaxSide = 65535;
    static constexpr qint64 MaxPixels = qint64(1) << 28;

    // The view, or nothing when the header does not fit the block or makes no sense;
    // reason (when given) receives a short diagnostic.
    static std::optional<DibView> create(const DibBuffer &dib, QString *reason = nullptr);

    const DibBuffer::Header &header() const { return m_header; }
    int width() const { return m_width; }
    // Always positive; topDown() tells the stored row order.
    int height() const { return m_height; }
    bool isTopDown() const { return m_topDown; }
    int bitCount() const { return m_header.bitCount; }
    quint32 compression() const { return m_header.compression; }
    int paletteEntries() const { return m_paletteEntries; }
    qint64 bytesPerLine() const { return m_bytesPerLine; }

    // Palette entry as an opaque colour; black for an index beyond the palette.
    QRgb paletteColour(int index) const;
    // The three colour masks (red, green, blue) of a bit-field bitmap, else zeros.
    quint32 mask(int channel) const;

    // Start of the pixels and the bytes from there to the end of the pixel data.
    const uchar *pixels() const { return m_pixels; }
    qint64 pixelBytes() const { return m_pixelBytes; }
    // A stored row of an uncompressed bitmap in image order (row 0 is the top row).
    const uchar *imageRow(int row) const;

private:
    DibView() = default;

    DibBuffer::Header m_header;
    const uchar *m_block = nullptr;
    const uchar *m_pixels = nullptr;
    qint64 m_pixelBytes = 0;
    qint64 m_bytesPerLine = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_topDown = false;
    int m_paletteEntries = 0;
    qint64 m_paletteOffset = 0;
};
