#pragma once

#include "OcrPage.h"

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QRawFont>
#include <QSize>

namespace PoDoFo {
class PdfObject;
class PdfPage;
class PdfStreamedDocument;
} // namespace PoDoFo

// The invisible text over a page's picture, so that readers find, select and copy the
// recognised words. Each word is drawn in text render mode 3 at its box and stretched to the
// box's width, followed by a space unless it ends its line, in DejaVu Sans embedded whole (its
// glyphs cover Latin and Cyrillic), with a ToUnicode map so that copied text is the recognised
// text.
//
// The font's objects are written by finish(), once every page is known: the width and
// ToUnicode tables then hold exactly the glyphs used. A document without words gets none.
// One document, one thread.
class PdfTextLayer
{
public:
    explicit PdfTextLayer(PoDoFo::PdfStreamedDocument *document);

    // False when the font file is missing: the document is then written without text.
    bool isAvailable() const { return m_font.isValid(); }

    // Content operators for the page; picture: where the page image of pixels size is drawn
    // (x, y, width, height in points, PDF coordinates). Empty without words.
    QByteArray pageContent(PoDoFo::PdfPage *page, const OcrPage &text, const QSize &pixels,
                           const QRectF &picture);
    // Writes the font; call before the document is closed.
    void finish();

private:
    quint32 glyphFor(uint codePoint, const QString &text);
    double advance(quint32 glyph);

    PoDoFo::PdfStreamedDocument *m_document;
    QRawFont m_font;
    QString m_fontPath;
    double m_unitsPerEm = 1000;
    double m_ascent = 0;  // per 1000 units of em
    double m_descent = 0; // negative
    PoDoFo::PdfObject *m_type0 = nullptr;
    QHash<uint, quint32> m_glyphs;    // code point -> glyph
    QMap<quint32, int> m_widths;      // glyph -> width per 1000 units of em, as written
    QMap<quint32, QString> m_unicode; // glyph -> text it stands for
};
