#pragma once

#include <QSize>
#include <QString>

// Pixel size and resolution of an image file, read from its header without decoding the
// pixels: JPEG (SOF marker, JFIF density) and classic TIFF (first directory). Other files
// are read through Qt, which decodes them.
//
// The resolution is the one a QImage loaded from the file would report as its logical dots
// per inch (Qt's rounding through dots per metre, 96 when the file states none), so that
// the PDF and the preview agree with every other part of the program.
// Any thread.
class ImageHeader
{
public:
    // Resolution Qt gives an image whose file states none.
    static constexpr int defaultDpi = 96;

    static ImageHeader read(const QString &path);

    bool isValid() const { return m_size.width() > 0 && m_size.height() > 0; }
    QSize size() const { return m_size; }
    int dpiX() const { return m_dpiX; }
    int dpiY() const { return m_dpiY; }

private:
    bool readJpeg(const QString &path);
    bool readTiff(const QString &path);
    void readThroughQt(const QString &path);
    // Stores a resolution given in dots per metre the way QImage turns it into dots per inch.
    void setDotsPerMeter(int x, int y);

    QSize m_size;
    int m_dpiX = defaultDpi;
    int m_dpiY = defaultDpi;
};
