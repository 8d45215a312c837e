#include "PageFileCheck.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSet>

#include <cstring>

namespace {
using Problem = PageFileCheck::Problem;

// Walks the marker segments of a JPEG up to its end marker. Inside entropy-coded data a 0xFF
// byte is always followed by 0x00 or a restart marker, so any other marker there is real.
Problem checkJpeg(const uchar *data, qint64 size)
{
    qint64 i = 2;
    bool inScan = false;
    while (i < size) {
        if (inScan) {
            const void *found = std::memchr(data + i, 0xFF, size_t(size - i));
            if (!found)
                return Problem::Incomplete;
            i = static_cast<const uchar *>(found) - data;
            if (i + 1 >= size)
                return Problem::Incomplete;
            const uchar next = data[i + 1];
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                i += 2;
                continue;
            }
            inScan = false;
        }
        if (data[i] != 0xFF)
            return Problem::Damaged;
        while (i < size && data[i] == 0xFF)
            ++i;
        if (i >= size)
            return Problem::Incomplete;
        const uchar marker = data[i++];
        if (marker == 0xD9)
            return Problem::None;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (i + 2 > size)
            return Problem::Incomplete;
        const qint64 length = (qint64(data[i]) << 8) | data[i + 1];
        if (length < 2)
            return Problem::Damaged;
        if (i + length > size)
            return Problem::Incomplete;
        i += length;
        inScan = marker == 0xDA;
    }
    return Problem::Incomplete;
}

// Reads the numbers of a classic TIFF in its byte order, refusing any read past the end.
class TiffBytes
{
public:
    TiffBytes(const uchar *data, qint64 size) : m_data(data), m_size(size), m_le(data[0] == 'I') {}

    bool has(qint64 at, qint64 bytes) const
    {
        return at >= 0 && bytes >= 0 && at + bytes <= m_size;
    }
    quint32 u16(qint64 at) const
    {
        return m_le ? quint32(m_data[at] | m_data[at + 1] << 8)
                    : quint32(m_data[at] << 8 | m_data[at + 1]);
    }
    quint32 u32(qint64 at) const
    {
        return m_le ? u16(at) | u16(at + 2) << 16 : u16(at) << 16 | u16(at + 2);
    }

    // The SHORT or LONG values of the directory entry at entry; false when they are not there.
    bool values(qint64 entry, QList<quint32> *out) const
    {
        const quint32 type = u16(entry + 2);
        const quint32 count = u32(entry + 4);
        const int width = type == 3 ? 2 : type == 4 ? 4 : 0;
        if (width == 0 || count == 0 || count > quint32(m_size))
            return false;
        const qint64 bytes = qint64(count) * width;
        const qint64 at = bytes <= 4 ? entry + 8 : qint64(u32(entry + 8));
        if (!has(at, bytes))
            return false;
        out->clear();
        for (quint32 k = 0; k < count; ++k)
            out->append(width == 2 ? u16(at + k * 2) : u32(at + k * 4));
        return true;
    }

private:
    const uchar *m_data;
    qint64 m_size;
    bool m_le;
};

// Every directory of a classic TIFF, and every strip or tile it names, inside the file.
Problem checkTiff(const uchar *data, qint64 size)
{
    const TiffBytes tiff(data, size);
    if (size < 8)
        return Problem::Incomplete;
    if (tiff.u16(2) != 42)
        return Problem::None; // BigTIFF: the program never writes one; left to the decoder
    QSet<quint32> seen;
    for (quint32 ifd = tiff.u32(4); ifd != 0;
         ifd = tiff.u32(qint64(ifd) + 2 + 12 * tiff.u16(ifd))) {
        if (seen.contains(ifd) || seen.size() > 10000)
            return Problem::Damaged;
        seen.insert(ifd);
        if (!tiff.has(ifd, 2) || !tiff.has(qint64(ifd) + 2, 12 * tiff.u16(ifd) + 4))
            return Problem::Incomplete;
        QList<quint32> offsets;
        QList<quint32> counts;
        for (quint32 k = 0; k < tiff.u16(ifd); ++k) {
            const qint64 entry = qint64(ifd) + 2 + 12 * k;
            const quint32 tag = tiff.u16(entry);
            // Strip offsets and byte counts, or tile offsets and byte counts.
            if ((tag == 273 || tag == 324) && !tiff.values(entry, &offsets))
                return Problem::Damaged;
            if ((tag == 279 || tag == 325) && !tiff.values(entry, &counts))
                return Problem::Damaged;
        }
        if (offsets.isEmpty() || offsets.size() != counts.size())
            return Problem::Damaged;
        for (qsizetype k = 0; k < offsets.size(); ++k) {
            if (!tiff.has(offsets.at(k), counts.at(k)))
                return Problem::Incomplete;
        }
    }
    return Problem::None;
}

Problem checkBytes(const uchar *data, qint64 size, const QString &path)
{
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8)
        return checkJpeg(data, size);
    if (size >= 4 && ((data[0] == 'I' && data[1] == 'I' && data[2] == 42 && data[3] == 0) ||
                      (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && data[3] == 42)))
        return checkTiff(data, size);
    // Not a format the program writes pages in: its header at least must be readable.
    QImageReader reader(path);
    if (!reader.canRead())
        return Problem::NotAPicture;
    return reader.size().isValid() || !reader.supportsOption(QImageIOHandler::Size)
               ? Problem::None
               : Problem::Damaged;
}
} // namespace

PageFileCheck PageFileCheck::check(const QString &path)
{
    PageFileCheck result;
    result.m_path = path;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        result.m_problem = Problem::Missing;
        return result;
    }
    const qint64 size = file.size();
    if (size == 0) {
        result.m_problem = Problem::Empty;
        return result;
    }
    // Mapped, so that a large page costs no copy; read where mapping is not possible.
    if (uchar *mapped = file.map(0, size)) {
        result.m_problem = checkBytes(mapped, size, path);
        file.unmap(mapped);
        return result;
    }
    const QByteArray bytes = file.readAll();
    result.m_problem =
        checkBytes(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size(), path);
    return result;
}

QString PageFileCheck::reasonFor(Problem problem)
{
    switch (problem) {
    case Problem::None:
        break;
    case Problem::Missing:
        return tr("the file is missing");
    case Problem::Empty:
        return tr("the file is empty");
    case Problem::NotAPicture:
        return tr("the file is not a picture");
    case Problem::Incomplete:
        return tr("the file is incomplete");
    case Problem::Damaged:
        return tr("the file is damaged");
    }
    return QString();
}

QString PageFileCheck::pageMessage(int position) const
{
    return pageMessage(position, m_path, reason());
}

QString PageFileCheck::pageMessage(int position, const QString &path, const QString &why)
{
    return tr("Page %1 (%2) cannot be read: %3.")
        .arg(position + 1)
        .arg(QFileInfo(path).fileName(), why);
}
