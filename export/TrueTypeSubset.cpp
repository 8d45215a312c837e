#include "TrueTypeSubset.h"

#include <QMap>
#include <QtEndian>

#include <vector>

namespace {
quint16 u16(const QByteArray &data, qsizetype at)
{
    return at + 2 <= data.size() ? qFromBigEndian<quint16>(data.constData() + at) : 0;
}

quint32 u32(const QByteArray &data, qsizetype at)
{
    return at + 4 <= data.size() ? qFromBigEndian<quint32>(data.constData() + at) : 0;
}

void put16(QByteArray &data, qsizetype at, quint16 value)
{
    qToBigEndian(value, data.data() + at);
}

void put32(QByteArray &data, qsizetype at, quint32 value)
{
    qToBigEndian(value, data.data() + at);
}

quint32 checksum(const QByteArray &table)
{
    QByteArray padded = table;
    padded.append((4 - padded.size() % 4) % 4, '\0');
    quint32 sum = 0;
    for (qsizetype at = 0; at < padded.size(); at += 4)
        sum += u32(padded, at);
    return sum;
}

// Glyphs a composite glyph is built from; they must keep their outlines too.
QList<quint32> components(const QByteArray &glyph)
{
    QList<quint32> parts;
    if (glyph.size() < 10 || qint16(u16(glyph, 0)) >= 0)
        return parts;
    qsizetype at = 10;
    for (;;) {
        const quint16 flags = u16(glyph, at);
        parts.append(u16(glyph, at + 2));
        at += 4 + ((flags & 0x1) ? 4 : 2);
        if (flags & 0x8)
            at += 2;
        else if (flags & 0x40)
            at += 4;
        else if (flags & 0x80)
            at += 8;
        if (!(flags & 0x20) || at >= glyph.size())
            break;
    }
    return parts;
}
} // namespace

QByteArray TrueTypeSubset::make(const QByteArray &font, const QSet<quint32> &glyphs)
{
    if (u32(font, 0) != 0x00010000)
        return QByteArray();
    QMap<QByteArray, QByteArray> tables;
    const int count = u16(font, 4);
    for (int i = 0; i < count; ++i) {
        const qsizetype record = 12 + 16 * i;
        const quint32 offset = u32(font, record + 8);
        const quint32 length = u32(font, record + 12);
        if (record + 16 > font.size() || qsizetype(offset) + length > font.size())
            return QByteArray();
        tables.insert(font.mid(record, 4), font.mid(offset, length));
    }
    const QByteArray head = tables.value("head");
    const QByteArray loca = tables.value("loca");
    const QByteArray glyf = tables.value("glyf");
    const int glyphCount = u16(tables.value("maxp"), 4);
    if (head.size() < 54 || glyf.isEmpty() || glyphCount == 0)
        return QByteArray();
    const bool longOffsets = u16(head, 50) == 1;
    const auto glyphAt = [&](quint32 id) {
        if (id >= quint32(glyphCount))
            return QByteArray();
        const quint32 from = longOffsets ? u32(loca, id * 4) : u16(loca, id * 2) * 2u;
        const quint32 to = longOffsets ? u32(loca, id * 4 + 4) : u16(loca, id * 2 + 2) * 2u;
        return to > from && to <= quint32(glyf.size()) ? glyf.mid(from, to - from) : QByteArray();
    };

    // Glyph 0 is the one for missing characters and always stays.
    QSet<quint32> kept = glyphs;
    kept.insert(0);
    QList<quint32> pending(kept.cbegin(), kept.cend());
    while (!pending.isEmpty()) {
        for (const quint32 part : components(glyphAt(pending.takeLast()))) {
            if (!kept.contains(part)) {
                kept.insert(part);
                pending.append(part);
            }
        }
    }

    QByteArray newGlyf;
    QByteArray newLoca(4 * (glyphCount + 1), '\0');
    for (int id = 0; id < glyphCount; ++id) {
        put32(newLoca, 4 * id, quint32(newGlyf.size()));
        if (kept.contains(quint32(id))) {
            newGlyf += glyphAt(quint32(id));
            newGlyf.append((4 - newGlyf.size() % 4) % 4, '\0');
        }
    }
    put32(newLoca, 4 * glyphCount, quint32(newGlyf.size()));
    tables.insert("glyf", newGlyf);
    tables.insert("loca", newLoca);
    QByteArray newHead = head;
    put16(newHead, 50, 1);
    put32(newHead, 8, 0);
    tables.insert("head", newHead);
    // Glyph names are not needed by a reader: format 3 keeps only the header.
    QByteArray post = tables.value("post").left(32);
    if (post.size() == 32) {
        put32(post, 0, 0x00030000);
        tables.insert("post", post);
    }
    // Layout, kerning and device tables serve typesetting, not an embedded font.
    for (const char *unused :
         {"GDEF", "GPOS", "GSUB", "MATH", "kern", "hdmx", "VDMX", "LTSH", "FFTM", "DSIG"})
        tables.remove(unused);

    const int tableCount = int(tables.size());
    int power = 1, log2 = 0;
    while (power * 2 <= tableCount) {
        power *= 2;
        ++log2;
    }
    QByteArray out(12 + 16 * tableCount, '\0');
    put32(out, 0, 0x00010000);
    put16(out, 4, quint16(tableCount));
    put16(out, 6, quint16(power * 16));
    put16(out, 8, quint16(log2));
    put16(out, 10, quint16(tableCount * 16 - power * 16));
    int index = 0;
    qsizetype headAt = -1;
    for (auto it = tables.cbegin(); it != tables.cend(); ++it, ++index) {
        const qsizetype record = 12 + 16 * index;
        out.replace(record, 4, it.key());
        put32(out, record + 4, checksum(it.value()));
        put32(out, record + 8, quint32(out.size()));
        put32(out, record + 12, quint32(it.value().size()));
        if (it.key() == "head")
            headAt = out.size();
        out += it.value();
        out.append((4 - out.size() % 4) % 4, '\0');
    }
    if (headAt >= 0)
        put32(out, headAt + 8, 0xB1B0AFBAu - checksum(out));
    return out;
}
