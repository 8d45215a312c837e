#include "SanePageReader.h"

#include "DibBuffer.h"
#include "DibView.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {
Q_LOGGING_CATEGORY(lcSane, "quillary.scan.sane")

constexpr int ChunkSize = 64 * 1024;

bool plausible(const SANE_Parameters &p)
{
    if (p.pixels_per_line <= 0 || p.pixels_per_line > DibView::MaxSide || p.lines == 0 ||
        p.lines > DibView::MaxSide || p.bytes_per_line <= 0)
        return false;
    if (p.depth != 1 && p.depth != 8 && p.depth != 16)
        return false;
    const qint64 channels = p.format == SANE_FRAME_RGB ? 3 : 1;
    const qint64 needed = (qint64(p.pixels_per_line) * channels * p.depth + 7) / 8;
    return p.bytes_per_line >= needed;
}

bool singleChannel(SANE_Frame format)
{
    return format == SANE_FRAME_RED || format == SANE_FRAME_GREEN || format == SANE_FRAME_BLUE;
}

// The image as SANE delivered it: one interleaved frame, or one frame per colour.
struct RawImage
{
    SANE_Parameters parameters{};
    bool colour = false;
    // Gray or RGB data in [0]; red, green, blue in [0], [1], [2] for separate frames.
    std::array<QByteArray, 3> planes;
    bool separate = false;
    int lines = 0;

    // A sample scaled to 16 bits; for depth 1 a set bit is full intensity.
    quint16 sample(int x, int y, int channel) const
    {
        const SANE_Parameters &p = parameters;
        const int plane = separate ? channel : 0;
        const int channels = separate || !colour ? 1 : 3;
        const int index = x * channels + (separate ? 0 : channel);
        const uchar *row = reinterpret_cast<const uchar *>(planes[plane].constData()) +
                           qint64(y) * p.bytes_per_line;
        switch (p.depth) {
        case 1:
            return (row[index >> 3] & (0x80 >> (index & 7))) ? 0xFFFF : 0;
        case 8:
            return quint16(row[index] * 257);
        default:
            // SANE sends 16-bit samples in the machine's own byte order.
            return qFromUnaligned<quint16>(row + 2 * index);
        }
    }
};

DibBuffer::Header headerFor(const RawImage &raw, int bitCount, double dpi, int paletteSize)
{
    DibBuffer::Header header;
    header.width = raw.parameters.pixels_per_line;
    header.height = -raw.lines; // top-down, as the rows arrive
    header.bitCount = quint16(bitCount);
    header.imageSize = quint32(DibBuffer::bytesPerLine(header.width, bitCount) * raw.lines);
    const qint32 perMetre = qint32(std::lround(dpi / 0.0254));
    header.xPixelsPerMeter = perMetre;
    header.yPixelsPerMeter = perMetre;
    header.coloursUsed = quint32(paletteSize);
    return header;
}

DibBuffer lineArt(const RawImage &raw, double dpi)
{
    // SANE line art marks black with a set bit; the bitmap marks white, as its palette says.
    const int width = raw.parameters.pixels_per_line;
    const qint64 stride = DibBuffer::bytesPerLine(width, 1);
    const int rowBytes = (width + 7) / 8;
    QByteArray pixels(stride * raw.lines, '\0');
    for (int y = 0; y < raw.lines; ++y) {
        const char *in = raw.planes[0].constData() + qint64(y) * raw.parameters.bytes_per_line;
        char *out = pixels.data() + y * stride;
        for (int i = 0; i < rowBytes; ++i)
            out[i] = char(~in[i]);
    }
    return DibBuffer::create(headerFor(raw, 1, dpi, 2), {qRgb(0, 0, 0), qRgb(255, 255, 255)}, {},
                             pixels);
}

DibBuffer grey(const RawImage &raw, double dpi)
{
    const int width = raw.parameters.pixels_per_line;
    const qint64 stride = DibBuffer::bytesPerLine(width, 8);
    QByteArray pixels(stride * raw.lines, '\0');
    for (int y = 0; y < raw.lines; ++y) {
        uchar *out = reinterpret_cast<uchar *>(pixels.data()) + y * stride;
        for (int x = 0; x < width; ++x)
            out[x] = uchar(raw.sample(x, y, 0) >> 8);
    }
    QList<QRgb> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[i] = qRgb(i, i, i);
    return DibBuffer::create(headerFor(raw, 8, dpi, 256), palette, {}, pixels);
}

DibBuffer colour(const RawImage &raw, double dpi)
{
    // Sixteen-bit samples keep their precision as 48 bits; the bitmap stores blue first.
    const bool deep = raw.parameters.depth == 16;
    const int bitCount = deep ? 48 : 24;
    const int width = raw.parameters.pixels_per_line;
    const qint64 stride = DibBuffer::bytesPerLine(width, bitCount);
    QByteArray pixels(stride * raw.lines, '\0');
    for (int y = 0; y < raw.lines; ++y) {
        uchar *out = reinterpret_cast<uchar *>(pixels.data()) + y * stride;
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) {
                const quint16 value = raw.sample(x, y, 2 - c);
                if (deep)
                    qToLittleEndian<quint16>(value, out + 6 * x + 2 * c);
                else
                    out[3 * x + c] = uchar(value >> 8);
            }
        }
    }
    return DibBuffer::create(headerFor(raw, bitCount, dpi, 0), {}, {}, pixels);
}
} // namespace

SanePageReader::SanePageReader(SANE_Handle handle, ScannerLibrary::ProgressHandler progress,
                               CancelQuery cancelRequested)
    : m_handle(handle), m_progress(std::move(progress)),
      m_cancelRequested(std::move(cancelRequested))
{
}

SANE_Status SanePageReader::read(double dpi, std::unique_ptr<DibBuffer> *page)
{
    RawImage raw;
    report(0);
    QCoreApplication::processEvents();
    for (int frame = 0;; ++frame) {
        SANE_Status status = SANE_STATUS_GOOD;
        if (frame > 0 && (status = sane_start(m_handle)) != SANE_STATUS_GOOD)
            return status;
        SANE_Parameters p{};
        status = sane_get_parameters(m_handle, &p);
        if (status != SANE_STATUS_GOOD)
            return status;
        const bool separate = singleChannel(p.format);
        if (!plausible(p) || (frame > 0 && (!separate || !raw.separate)) ||
            (frame > 0 && (p.pixels_per_line != raw.parameters.pixels_per_line ||
                           p.depth != raw.parameters.depth))) {
            qCWarning(lcSane) << "unusable frame parameters: format" << p.format << "depth"
                              << p.depth << "width" << p.pixels_per_line << "lines" << p.lines;
            sane_cancel(m_handle);
            return SANE_STATUS_UNSUPPORTED;
        }
        if (frame == 0) {
            raw.parameters = p;
            raw.separate = separate;
            raw.colour = separate || p.format == SANE_FRAME_RGB;
        }

        QByteArray data;
        status = readFrame(p, frame, separate ? 3 : 1, &data);
        if (status != SANE_STATUS_EOF) {
            if (status != SANE_STATUS_CANCELLED)
                sane_cancel(m_handle);
            return status;
        }
        const int lines = int(data.size() / p.bytes_per_line);
        raw.lines = frame == 0 ? lines : std::min(raw.lines, lines);
        const int plane = p.format == SANE_FRAME_GREEN ? 1 : p.format == SANE_FRAME_BLUE ? 2 : 0;
        raw.planes[plane] = data;
        if (p.last_frame || !separate || frame >= 2)
            break;
    }
    if (raw.lines <= 0) {
        qCWarning(lcSane) << "the device delivered no image lines";
        return SANE_STATUS_IO_ERROR;
    }
    if (raw.separate && (raw.planes[1].isEmpty() || raw.planes[2].isEmpty())) {
        qCWarning(lcSane) << "a colour frame is missing";
        return SANE_STATUS_IO_ERROR;
    }

    if (!raw.colour && raw.parameters.depth == 1)
        *page = std::make_unique<DibBuffer>(lineArt(raw, dpi));
    else if (!raw.colour)
        *page = std::make_unique<DibBuffer>(grey(raw, dpi));
    else
        *page = std::make_unique<DibBuffer>(colour(raw, dpi));
    report(100);
    return SANE_STATUS_GOOD;
}

SANE_Status SanePageReader::readFrame(const SANE_Parameters &p, int frame, int frames,
                                      QByteArray *data)
{
    // A hand scanner does not know its height (lines < 0): read until the end, within reason.
    const qint64 expected = p.lines > 0 ? qint64(p.lines) * p.bytes_per_line : -1;
    const qint64 limit = expected > 0 ? expected : qint64(DibView::MaxSide) * p.bytes_per_line;
    if (expected > 0)
        data->reserve(expected);
    std::vector<SANE_Byte> chunk(ChunkSize);
    for (;;) {
        if (m_cancelRequested && m_cancelRequested()) {
            sane_cancel(m_handle);
            return SANE_STATUS_CANCELLED;
        }
        SANE_Int length = 0;
        const SANE_Status status = sane_read(m_handle, chunk.data(), ChunkSize, &length);
        if (status != SANE_STATUS_GOOD)
            return status;
        const qint64 room = limit - data->size();
        data->append(reinterpret_cast<const char *>(chunk.data()),
                     std::clamp<qint64>(length, 0, std::max<qint64>(room, 0)));
        if (expected > 0)
            report(int((frame * 100 + data->size() * 100 / expected) / frames));
        QCoreApplication::processEvents();
    }
}

void SanePageReader::report(int percent)
{
    percent = std::clamp(percent, 0, 100);
    if (percent == m_lastPercent)
        return;
    m_lastPercent = percent;
    if (m_progress)
        m_progress(percent);
}
