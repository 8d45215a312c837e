#include "Jbig2Bitmap.h"

#include <cstring>

Jbig2Bitmap::Jbig2Bitmap(int width, int height)
    : m_width(width), m_height(height), m_stride((width + 7) / 8 + 1),
      m_bits(std::size_t(m_stride * (height + 1)), 0)
{
}

Jbig2Bitmap Jbig2Bitmap::fromImage(const QImage &image)
{
    const QImage mono =
        image.format() == QImage::Format_Mono ? image : image.convertToFormat(QImage::Format_Mono);
    const QList<QRgb> colours = mono.colorTable();
    const bool zeroIsBlack = colours.size() == 2 && qGray(colours.at(0)) < qGray(colours.at(1));
    Jbig2Bitmap bitmap(mono.width(), mono.height());
    const qsizetype rowBytes = bitmap.rowBytes();
    const auto lastByteMask = std::uint8_t(0xFF << ((8 - bitmap.m_width % 8) % 8));
    for (int y = 0; y < bitmap.m_height; ++y) {
        std::uint8_t *target = bitmap.row(y);
        memcpy(target, mono.constScanLine(y), std::size_t(rowBytes));
        if (zeroIsBlack) {
            for (qsizetype i = 0; i < rowBytes; ++i)
                target[i] = std::uint8_t(~target[i]);
        }
        target[rowBytes - 1] &= lastByteMask;
    }
    return bitmap;
}

void Jbig2Bitmap::fill(int y, int x, int last, bool black)
{
    std::uint8_t *line = row(y);
    for (int byte = x >> 3; byte <= last >> 3; ++byte) {
        const int from = byte == x >> 3 ? x & 7 : 0;
        const int to = byte == last >> 3 ? last & 7 : 7;
        const auto mask = std::uint8_t((0xFF >> from) & (0xFF << (7 - to)));
        line[byte] = black ? std::uint8_t(line[byte] | mask) : std::uint8_t(line[byte] & ~mask);
    }
}

bool Jbig2Bitmap::operator==(const Jbig2Bitmap &other) const
{
    return m_width == other.m_width && m_height == other.m_height && m_bits == other.m_bits;
}
