#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// Black-and-white pictures as TIFF compressed with CCITT Group 4, the fax code: a text page
// takes tens of kilobytes instead of a megabyte, and a PDF can take the code as it is.
// The file holds one strip, so its code is one Group 4 stream. Any thread.
class Group4Tiff
{
public:
    // 1 bit per pixel with a black-and-white palette (either order); other 1-bit palettes
    // carry colours that Group 4 cannot keep.
    static bool canEncode(const QImage &image);

    // The whole TIFF file; empty with *error set when libtiff refuses. The palette order
    // chooses the photometric, so the bits are stored as they are and read back the same.
    static QByteArray encode(const QImage &image, QString *error);

    // The Group 4 code of a file as encode() writes it (one strip, 1 bit, most significant
    // bit first, no uncompressed mode). A file of several strips has its rows coded again
    // as one stream, as encode() would. code is empty for any other file.
    struct Code
    {
        QByteArray code;
        QSize size;
        // A min-is-black file: its 1 bits (white) were coded as the fax code's black runs,
        // which a PDF states as /BlackIs1 true.
        bool blackIs1 = false;
    };
    static Code read(const QString &path);
};
