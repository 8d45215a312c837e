#pragma once

#include <QImage>

#include <cstdint>
#include <vector>

// A bitmap as JBIG2's coders read it: 1 = black, each row most significant bit first with its
// bits past the width cleared and one zero byte after it, then a zero row. The pixels off the
// bitmap that a context reads (right of a row, above the first) are white without a test.
class Jbig2Bitmap
{
public:
    Jbig2Bitmap() = default;
    Jbig2Bitmap(int width, int height); // white

    // A 1-bit image; the darker of its two palette colours is black, or index 1 without a
    // palette.
    static Jbig2Bitmap fromImage(const QImage &image);

    int width() const { return m_width; }
    int height() const { return m_height; }
    // Bytes of a row holding pixels; the row's stride is one more.
    qsizetype rowBytes() const { return m_stride - 1; }
    // Row y; rows above the first (y < 0) are white.
    const std::uint8_t *row(int y) const
    {
        return m_bits.data() + (y < 0 ? m_height : y) * m_stride;
    }
    std::uint8_t *row(int y) { return m_bits.data() + y * m_stride; }

    // Pixels from x to last (inclusive) of row y set black, or white.
    void fill(int y, int x, int last, bool black);

    bool operator==(const Jbig2Bitmap &other) const;

private:
    int m_width = 0;
    int m_height = 0;
    qsizetype m_stride = 1;
    std::vector<std::uint8_t> m_bits = std::vector<std::uint8_t>(1, 0);
};
