#include "PdfTextLayer.h"

#include "TrueTypeSubset.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRectF>

#include <podofo/podofo.h>

Q_LOGGING_CATEGORY(lcPdfText, "quillary.export.pdftext")

namespace {
const char fontName[] = "DejaVuSans";
// A subset's name carries a tag of six capitals, so that readers do not take it for the font.
const char subsetName[] = "QLRYSB+DejaVuSans";
const char resourceName[] = "Fq";

QString fontFile()
{
    for (const QLatin1String path :
         {QLatin1String("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"),
          QLatin1String("/usr/share/fonts/TTF/DejaVuSans.ttf"),
          QLatin1String("/usr/share/fonts/dejavu/DejaVuSans.ttf")}) {
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

// Up to two decimals, trailing zeros dropped: a hundredth of a point is below any dot.
QByteArray number(double value)
{
    QByteArray text = QByteArray::number(value, 'f', 2);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text == "-0" ? QByteArray("0") : text;
}

// A glyph's code in a Type 0 font with Identity-H: its index in four hex digits.
QByteArray glyphHex(quint32 glyph)
{
    return QByteArray::number(glyph, 16).rightJustified(4, '0').toUpper();
}

QByteArray utf16Hex(const QString &text)
{
    QByteArray hex;
    for (const QChar c : text)
        hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
    return hex.toUpper();
}

PoDoFo::PdfArray numbers(std::initializer_list<double> values)
{
    PoDoFo::PdfArray array;
    for (const double value : values)
        array.push_back(PoDoFo::PdfVariant(PoDoFo::pdf_int64(qRound64(value))));
    return array;
}
} // namespace

PdfTextLayer::PdfTextLayer(PoDoFo::PdfStreamedDocument *document)
    : m_document(document), m_fontPath(fontFile())
{
    if (m_fontPath.isEmpty()) {
        qCWarning(lcPdfText) << "no DejaVu Sans font: the PDF gets no text";
        return;
    }
    // Loaded at one pixel per font unit, unhinted: advances come out in font units.
    const QRawFont probe(m_fontPath, 100);
    if (!probe.isValid())
        return;
    m_unitsPerEm = probe.unitsPerEm();
    m_font = QRawFont(m_fontPath, m_unitsPerEm, QFont::PreferNoHinting);
    m_ascent = m_font.ascent() * 1000.0 / m_unitsPerEm;
    m_descent = -m_font.descent() * 1000.0 / m_unitsPerEm;
}

quint32 PdfTextLayer::glyphFor(uint codePoint, const QString &text)
{
    const auto known = m_glyphs.constFind(codePoint);
    if (known != m_glyphs.cend())
        return *known;
    const QList<quint32> glyphs = m_font.glyphIndexesForString(text);
    const quint32 glyph = glyphs.size() == 1 ? glyphs.first() : 0;
    m_glyphs.insert(codePoint, glyph);
    // Glyph 0 stands for every character the font lacks: it cannot map back to one of them.
    if (glyph != 0 && !m_unicode.contains(glyph))
        m_unicode.insert(glyph, text);
    return glyph;
}

double PdfTextLayer::advance(quint32 glyph)
{
    const auto known = m_widths.constFind(glyph);
    if (known != m_widths.cend())
        return *known;
    const QList<QPointF> advances = m_font.advancesForGlyphIndexes(
        QList<quint32>{glyph}, QRawFont::SeparateAdvances | QRawFont::UseDesignMetrics);
    const int width = advances.isEmpty() ? 0 : qRound(advances.first().x() * 1000.0 / m_unitsPerEm);
    m_widths.insert(glyph, width);
    return width;
}

QByteArray PdfTextLayer::pageContent(PoDoFo::PdfPage *page, const OcrPage &text,
                                     const QSize &pixels, const QRectF &picture)
{
    if (!isAvailable() || text.words.isEmpty() || pixels.isEmpty())
        return QByteArray();
    // The words are in the pixels recognised; the picture may be drawn from another size.
    const QSize recognised = text.imageSize.isEmpty() ? pixels : text.imageSize;
    const double toX = picture.width() / recognised.width();
    const double toY = picture.height() / recognised.height();
    const auto pdfX = [&](double x) { return picture.x() + x * toX; };
    const auto pdfY = [&](double y) { return picture.y() + picture.height() - y * toY; };
    const double emHeight = (m_ascent - m_descent) / 1000.0;

    QByteArray content;
    for (const OcrWord &word : text.words) {
        QByteArray glyphs;
        double width = 0;
        const QList<uint> codePoints = word.text.toUcs4();
        for (const uint codePoint : codePoints) {
            const char32_t character = codePoint;
            const quint32 glyph = glyphFor(codePoint, QString::fromUcs4(&character, 1));
            width += advance(glyph);
            glyphs += glyphHex(glyph);
        }
        if (glyphs.isEmpty() || width <= 0 || word.box.width() <= 0)
            continue;
        // Readers join words whose boxes nearly touch ("chargea"): a space ends the word, and
        // it takes its share of the box, so that readers that go by the gaps between letters
        // see one too. A line's last word needs none: the next word starts a line of its own.
        if (!word.endsLine) {
            const quint32 space = glyphFor(' ', QStringLiteral(" "));
            width += advance(space);
            glyphs += glyphHex(space);
        }
        const QRectF box(word.box.x(), word.box.y(), word.box.width() + 1, word.box.height() + 1);
        double baseline = box.bottom();
        if (!word.baseline.isNull() && word.baseline.dx() != 0) {
            const double t = (box.left() - word.baseline.x1()) / word.baseline.dx();
            baseline = word.baseline.y1() + t * word.baseline.dy();
        }
        // The line's reach when known, else the word's own.
        double above = word.ascent > 0 ? word.ascent : baseline - box.top();
        double below = word.ascent > 0 ? word.descent : box.bottom() - baseline;
        above = qMax(above, 1.0);
        below = qMax(below, 0.0);
        const double size = (above + below) * toY / emHeight;
        const double stretch = (box.width() * toX) / (width / 1000.0);
        // Readers take a word's height from the font's ascent and descent: the text sits so
        // that these span the line's reach exactly, whatever the font's own proportions.
        const double origin = pdfY(baseline) - below * toY - m_descent / 1000.0 * size;
        content += number(stretch) + " 0 0 " + number(size) + ' ' + number(pdfX(box.left())) + ' ' +
                   number(origin) + " Tm <" + glyphs + "> Tj\n";
    }
    if (content.isEmpty())
        return QByteArray();

    if (!m_type0)
        m_type0 = m_document->GetObjects()->CreateObject("Font");
    page->AddResource(PoDoFo::PdfName(resourceName), m_type0->Reference(), PoDoFo::PdfName("Font"));
    // Invisible, and the size goes into each word's text matrix.
    return QByteArray("BT\n3 Tr\n/") + resourceName + " 1 Tf\n" + content + "ET\n";
}

void PdfTextLayer::finish()
{
    if (!m_type0)
        return;
    PoDoFo::PdfVecObjects *objects = m_document->GetObjects();

    QFile file(m_fontPath);
    const QByteArray whole = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    // Only the glyphs used: the whole font would be several pages' worth of bytes.
    const QList<quint32> used = m_widths.keys();
    QByteArray fontData = TrueTypeSubset::make(whole, QSet<quint32>(used.cbegin(), used.cend()));
    const bool subset = !fontData.isEmpty();
    if (!subset)
        fontData = whole;
    const char *name = subset ? subsetName : fontName;
    PoDoFo::PdfObject *fontFile = objects->CreateObject();
    fontFile->GetDictionary().AddKey(PoDoFo::PdfName("Length1"),
                                     PoDoFo::PdfVariant(PoDoFo::pdf_int64(fontData.size())));
    // Set last: a streamed document writes the dictionary when the stream starts.
    fontFile->GetStream()->Set(fontData.constData(), PoDoFo::pdf_long(fontData.size()),
                               PoDoFo::TVecFilters{PoDoFo::ePdfFilter_FlateDecode});

    PoDoFo::PdfObject *descriptor = objects->CreateObject("FontDescriptor");
    PoDoFo::PdfDictionary &d = descriptor->GetDictionary();
    d.AddKey(PoDoFo::PdfName("FontName"), PoDoFo::PdfName(name));
    d.AddKey(PoDoFo::PdfName("Flags"), PoDoFo::PdfVariant(PoDoFo::pdf_int64(32)));
    d.AddKey(PoDoFo::PdfName("FontBBox"), numbers({-1021, -463, 1793, 1232}));
    d.AddKey(PoDoFo::PdfName("ItalicAngle"), PoDoFo::PdfVariant(PoDoFo::pdf_int64(0)));
    d.AddKey(PoDoFo::PdfName("Ascent"), PoDoFo::PdfVariant(PoDoFo::pdf_int64(qRound64(m_ascent))));
    d.AddKey(PoDoFo::PdfName("Descent"),
             PoDoFo::PdfVariant(PoDoFo::pdf_int64(qRound64(m_descent))));
    d.AddKey(PoDoFo::PdfName("CapHeight"), PoDoFo::PdfVariant(PoDoFo::pdf_int64(729)));
    d.AddKey(PoDoFo::PdfName("StemV"), PoDoFo::PdfVariant(PoDoFo::pdf_int64(80)));
    d.AddKey(PoDoFo::PdfName("FontFile2"), fontFile->Reference());

    PoDoFo::PdfArray widths;
    for (auto it = m_widths.cbegin(); it != m_widths.cend(); ++it) {
        widths.push_back(PoDoFo::PdfVariant(PoDoFo::pdf_int64(it.key())));
        widths.push_back(numbers({double(it.value())}));
    }
    PoDoFo::PdfDictionary systemInfo;
    systemInfo.AddKey(PoDoFo::PdfName("Registry"), PoDoFo::PdfString("Adobe"));
    systemInfo.AddKey(PoDoFo::PdfName("Ordering"), PoDoFo::PdfString("Identity"));
    systemInfo.AddKey(PoDoFo::PdfName("Supplement"), PoDoFo::PdfVariant(PoDoFo::pdf_int64(0)));
    PoDoFo::PdfObject *cidFont = objects->CreateObject("Font");
    PoDoFo::PdfDictionary &c = cidFont->GetDictionary();
    c.AddKey(PoDoFo::PdfName("Subtype"), PoDoFo::PdfName("CIDFontType2"));
    c.AddKey(PoDoFo::PdfName("BaseFont"), PoDoFo::PdfName(name));
    c.AddKey(PoDoFo::PdfName("CIDSystemInfo"), systemInfo);
    c.AddKey(PoDoFo::PdfName("FontDescriptor"), descriptor->Reference());
    c.AddKey(PoDoFo::PdfName("W"), widths);
    c.AddKey(PoDoFo::PdfName("CIDToGIDMap"), PoDoFo::PdfName("Identity"));

    QByteArray cmap("/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                    "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                    "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                    "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n");
    // At most 100 entries a block, as the CMap format asks.
    const QList<quint32> glyphs = m_unicode.keys();
    for (qsizetype from = 0; from < glyphs.size(); from += 100) {
        const QList<quint32> block = glyphs.mid(from, 100);
        cmap += QByteArray::number(block.size()) + " beginbfchar\n";
        for (const quint32 glyph : block) {
            cmap += '<' + glyphHex(glyph) + "> <" + utf16Hex(m_unicode.value(glyph)) + ">\n";
        }
        cmap += "endbfchar\n";
    }
    cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    PoDoFo::PdfObject *toUnicode = objects->CreateObject();
    toUnicode->GetStream()->Set(cmap.constData(), PoDoFo::pdf_long(cmap.size()),
                                PoDoFo::TVecFilters{PoDoFo::ePdfFilter_FlateDecode});

    PoDoFo::PdfDictionary &t = m_type0->GetDictionary();
    t.AddKey(PoDoFo::PdfName("Subtype"), PoDoFo::PdfName("Type0"));
    t.AddKey(PoDoFo::PdfName("BaseFont"), PoDoFo::PdfName(name));
    t.AddKey(PoDoFo::PdfName("Encoding"), PoDoFo::PdfName("Identity-H"));
    PoDoFo::PdfArray descendants;
    descendants.push_back(cidFont->Reference());
    t.AddKey(PoDoFo::PdfName("DescendantFonts"), descendants);
    t.AddKey(PoDoFo::PdfName("ToUnicode"), toUnicode->Reference());
}
