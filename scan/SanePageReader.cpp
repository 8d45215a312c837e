#include "SanePageReader.h"

#include "DibBuffer.h"
#include "DibView.h"
#include "SaneStatusText.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <vector>

namespace {
Q_LOGGING_CATEGORY(lcSane, "quillary.scan.sane")

constexpr int ChunkSize = 64 * 1024;
// Set aside at most this much before the bytes arrive; a page that is really larger grows.
constexpr qint64 MaxReserve = qint64(64) << 20;

QString text(const char *source)
{
    return QCoreApplication::translate("SanePageReader", source);
}

// Bytes a line of the frame's pixels needs, without padding.
qint64 neededBytesPerLine(const SANE_Parameters &p)
{
    const qint64 channels = p.format == SANE_FRAME_RGB ? 3 : 1;
    return (qint64(p.pixels_per_line) * channels * p.depth + 7) / 8;
}

// Lines the frame may deliver: as announced, or for a hand scanner (lines < 0) as many as a
// bitmap of that width may hold.
qint64 maxLines(const SANE_Parameters &p)
{
    if (p.lines > 0)
        return p.lines;
    return std::min<qint64>(DibView::MaxSide, DibView::MaxPixels / p.pixels_per_line);
}

// What is wrong with one frame's parameters on their own; empty when they can be read.
QString parameterProblem(const SANE_Parameters &p)
{
    if (p.format != SANE_FRAME_GRAY && p.format != SANE_FRAME_RGB && p.format != SANE_FRAME_RED &&
        p.format != SANE_FRAME_GREEN && p.format != SANE_FRAME_BLUE)
        return QStringLiteral("unknown frame format %1").arg(p.format);
    if (p.depth != 1 && p.depth != 8 && p.depth != 16)
        return QStringLiteral("depth %1").arg(p.depth);
    if (p.pixels_per_line <= 0 || p.lines == 0)
        return QStringLiteral("size %1 x %2").arg(p.pixels_per_line).arg(p.lines);
    // Rows may be padded, but not to many times what their pixels need.
    const qint64 needed = neededBytesPerLine(p);
    if (p.bytes_per_line < needed || p.bytes_per_line > 2 * needed + 64)
        return QStringLiteral("%1 bytes per line for %2 needed").arg(p.bytes_per_line).arg(needed);
    return {};
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
    // Each frame's own bytes per line: the frames of one image may pad differently.
    std::array<qint64, 3> strides{};
    bool separate = false;
    int lines = 0;

    // A sample scaled to 16 bits; for depth 1 a set bit is full intensity.
    quint16 sample(int x, int y, int channel) const
    {
        const SANE_Parameters &p = parameters;
        const int plane = separate ? channel : 0;
        const int channels = separate || !colour ? 1 : 3;
        const int index = x * channels + (separate ? 0 : channel);
        const uchar *row =
            reinterpret_cast<const uchar *>(planes[plane].constData()) + y * strides[plane];
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
        const char *in = raw.planes[0].constData() + y * raw.strides[0];
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

const qint64 SanePageReader::MaxPageBytes = DibView::MaxPixels * 6;

SanePageReader::SanePageReader(SANE_Handle handle, ScannerLibrary::ProgressHandler progress,
                               CancelQuery cancelRequested)
    : m_handle(handle), m_progress(std::move(progress)),
      m_cancelRequested(std::move(cancelRequested))
{
}

SANE_Status SanePageReader::read(double dpi, std::unique_ptr<DibBuffer> *page)
{
    m_errorText.clear();
    try {
        return readPage(dpi, page);
    } catch (const std::bad_alloc &) {
        // A page within the bounds can still be more than the machine has free.
        cancelDevice();
        return refuse(SANE_STATUS_NO_MEM, saneStatusText(SANE_STATUS_NO_MEM));
    }
}

SANE_Status SanePageReader::readPage(double dpi, std::unique_ptr<DibBuffer> *page)
{
    RawImage raw;
    qint64 pageBytes = 0;
    report(0);
    QCoreApplication::processEvents();
    for (int frame = 0;; ++frame) {
        SANE_Status status = SANE_STATUS_GOOD;
        if (frame > 0 && (status = startFrame()) != SANE_STATUS_GOOD)
            return status;
        SANE_Parameters p{};
        status = frameParameters(&p);
        if (status != SANE_STATUS_GOOD)
            return status;
        const bool separate = singleChannel(p.format);
        const int plane = p.format == SANE_FRAME_GREEN ? 1 : p.format == SANE_FRAME_BLUE ? 2 : 0;
        QString problem = parameterProblem(p);
        if (problem.isEmpty() && frame > 0) {
            if (!separate || !raw.separate || !raw.planes[plane].isNull())
                problem = QStringLiteral("frame format %1 after %2").arg(p.format).arg(frame);
            else if (p.pixels_per_line != raw.parameters.pixels_per_line ||
                     p.depth != raw.parameters.depth)
                problem = QStringLiteral("frame %1 differs from the first").arg(frame);
        }
        if (!problem.isEmpty()) {
            qCWarning(lcSane) << "unusable parameters of frame" << frame << ":" << problem;
            cancelDevice();
            return refuse(SANE_STATUS_UNSUPPORTED,
                          text("The scanner driver described the page in a way that cannot be "
                               "read."));
        }
        const qint64 frameBytes = maxLines(p) * p.bytes_per_line;
        if (p.pixels_per_line > DibView::MaxSide || p.lines > DibView::MaxSide ||
            p.pixels_per_line * maxLines(p) > DibView::MaxPixels ||
            frameBytes > MaxPageBytes - pageBytes) {
            qCWarning(lcSane) << "page too large:" << p.pixels_per_line << "x" << p.lines << ","
                              << pageBytes + frameBytes << "bytes";
            cancelDevice();
            return refuse(SANE_STATUS_NO_MEM,
                          text("The scanner driver announced a page too large to be read."));
        }
        pageBytes += frameBytes;
        if (frame == 0) {
            raw.parameters = p;
            raw.separate = separate;
            raw.colour = separate || p.format == SANE_FRAME_RGB;
        }

        QByteArray data;
        status = readFrame(p, frame, separate ? 3 : 1, frameBytes, &data);
        if (status != SANE_STATUS_EOF) {
            if (status != SANE_STATUS_CANCELLED)
                cancelDevice();
            return status;
        }
        const int lines = int(data.size() / p.bytes_per_line);
        raw.lines = frame == 0 ? lines : std::min(raw.lines, lines);
        // Never null from here on, so a frame that repeats a colour is caught above.
        raw.planes[plane] = data.isNull() ? QByteArray("") : data;
        raw.strides[plane] = p.bytes_per_line;
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

SANE_Status SanePageReader::readFrame(const SANE_Parameters &p, int frame, int frames, qint64 limit,
                                      QByteArray *data)
{
    // A hand scanner does not know its height (lines < 0): read until the end, within limit.
    const qint64 expected = p.lines > 0 ? limit : -1;
    data->reserve(std::min(limit, MaxReserve));
    std::vector<SANE_Byte> chunk(ChunkSize);
    for (;;) {
        if (m_cancelRequested && m_cancelRequested()) {
            cancelDevice();
            return SANE_STATUS_CANCELLED;
        }
        SANE_Int length = 0;
        const SANE_Status status = readData(chunk.data(), ChunkSize, &length);
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

SANE_Status SanePageReader::refuse(SANE_Status status, const QString &message)
{
    m_errorText = message;
    return status;
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

SANE_Status SanePageReader::startFrame()
{
    return sane_start(m_handle);
}

SANE_Status SanePageReader::frameParameters(SANE_Parameters *parameters)
{
    return sane_get_parameters(m_handle, parameters);
}

SANE_Status SanePageReader::readData(SANE_Byte *buffer, SANE_Int maxLength, SANE_Int *length)
{
    return sane_read(m_handle, buffer, maxLength, length);
}

void SanePageReader::cancelDevice()
{
    sane_cancel(m_handle);
}
