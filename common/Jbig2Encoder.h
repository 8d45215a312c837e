#pragma once

#include <QByteArray>
#include <QImage>

// Black-and-white pages as lossless JBIG2 (ITU-T T.88): the whole page one generic region,
// coded with the MQ arithmetic coder, template 0 with its usual adaptive pixels and typical
// prediction (white rows, and rows repeating the one above, cost next to nothing). A text page
// takes about two thirds of its Group 4 code. Any thread.
class Jbig2Encoder
{
public:
    // A 1-bit image (Mono or MonoLSB). The darker of its two palette colours is black
    // (JBIG2's 1), whichever index it has; an image without a palette takes index 1 as black.
    static bool canEncode(const QImage &page);

    // The page as a PDF stream for /JBIG2Decode (the embedded organisation of T.88 Annex D.3:
    // no file header, no end-of-page or end-of-file segment, no /JBIG2Globals): a page
    // information segment, with the image's resolution, and one immediate lossless generic
    // region covering the page. The decoded page is the image's bits exactly. Empty when
    // canEncode() is false.
    static QByteArray encodeGeneric(const QImage &page);
};
