#pragma once

#include <QByteArray>
#include <QImage>

// Black-and-white pages as lossless JBIG2 (ITU-T T.88), in the form a PDF embeds. Any thread.
class Jbig2Encoder
{
public:
    // A 1-bit image (Mono or MonoLSB). The darker of its two palette colours is black
    // (JBIG2's 1), whichever index it has; an image without a palette takes index 1 as black.
    static bool canEncode(const QImage &page);

    // The page as a PDF stream for /JBIG2Decode (the embedded organisation of T.88 Annex D.3:
    // no file header, no end-of-page or end-of-file segment, no /JBIG2Globals): a page
    // information segment, with the image's resolution, and one immediate lossless generic
    // region covering the page: MQ arithmetic coding, template 0 with its nominal adaptive
    // pixels, typical prediction (white rows, and rows repeating the one above, cost next to
    // nothing). The decoded page is the image's bits exactly. Empty when canEncode() is false.
    // A text page takes about 0.6 of its Group 4 code, in about 1.6 times Group 4's time.
    static QByteArray encodeGeneric(const QImage &page);

    // The same with the marks of text size that repeat pixel for pixel (the letters of a page
    // made from a document, far fewer of a scan) coded once each in a symbol dictionary and
    // placed by a text region; the rest of the page a generic region. The dictionary is in the
    // stream (no /JBIG2Globals). The decoded page is the image's bits exactly. A page made
    // from a document takes about a tenth of its Group 4 code, in about 1.5 times its time; a
    // scan about 0.6, little below one generic region, in about 2.6 times (finding the marks
    // costs as much as coding the rest).
    static QByteArray encodeWithSymbols(const QImage &page);
};
