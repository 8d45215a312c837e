#pragma once

#include <QtGui>
#include <QtTest>

// One data row on one line.
template <typename... Values> void row(const char *name, Values... values)
{
    (QTest::newRow(name) << ... << values);
}

// Whether each colour channel of a lies within tolerance of b's.
inline bool near(QRgb a, QRgb b, int tolerance)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

// The bytes of a file, or nothing when it cannot be read.
inline QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// image with dpi stored as its resolution.
inline QImage atDpi(QImage image, int dpi)
{
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    return image;
}

// An A4 page at dpi, its resolution stored: white paper with text in ordinary 11-point type
// inside inch-wide margins.
inline QImage a4Page(int dpi, const QString &text)
{
    QImage page = atDpi(QImage(qRound(8.27 * dpi), qRound(11.69 * dpi), QImage::Format_RGB32), dpi);
    page.fill(Qt::white);
    QPainter painter(&page);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(11 * dpi / 72);
    painter.setFont(font);
    painter.drawText(QRect(dpi, dpi, page.width() - 2 * dpi, page.height() - 2 * dpi),
                     Qt::TextWordWrap, text);
    return page;
}

// Ordinary prose, said times over.
inline QString minutes(int times)
{
    return QStringLiteral("The minutes of the last meeting were read and agreed, and the clerk "
                          "reported that the repairs to the bridge will be finished in summer. ")
        .repeated(times);
}

// An A4 page with a block of minutes when withText, else left blank for the caller to draw on.
inline QImage a4Page(int dpi, bool withText)
{
    return a4Page(dpi, withText ? minutes(8) : QString());
}

// A page as a magazine has it: the text of a4Page, a photograph-like picture (smooth colour
// with fine detail) in a third of the page and a red heading below it. The picture's place
// is pictureRect(dpi).
inline QRect pictureRect(int dpi)
{
    return QRect(dpi, 5 * dpi, 4 * dpi, 11 * dpi / 3);
}

inline QImage a4PageWithPicture(int dpi, bool grey)
{
    QImage page = a4Page(dpi, true);
    {
        QPainter painter(&page);
        const QRect picture = pictureRect(dpi);
        QLinearGradient shade(picture.topLeft(), picture.bottomRight());
        shade.setColorAt(0, QColor(30, 90, 200));
        shade.setColorAt(0.5, QColor(240, 200, 40));
        shade.setColorAt(1, QColor(90, 20, 20));
        painter.fillRect(picture, shade);
        for (int i = 0; i < 4000; ++i) {
            painter.setPen(QColor::fromHsv(i % 360, 200, 150));
            painter.drawPoint(picture.x() + (i * 37) % picture.width(),
                              picture.y() + (i * 91) % picture.height());
        }
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(dpi * 2 / 5);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(QColor(180, 0, 0));
        painter.drawText(QPoint(dpi, picture.bottom() + dpi), QStringLiteral("Red Heading"));
    }
    return grey ? page.convertToFormat(QImage::Format_Grayscale8) : page;
}

// image as the bytes of a file in format.
inline QByteArray encoded(const QImage &image, const char *format, bool progressive = false)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return buffer.data();
}

// The child of type T the user knows by accessibleName, or null.
template <typename T> T *named(const QObject &parent, const char *accessibleName)
{
    for (T *widget : parent.findChildren<T *>()) {
        if (widget->accessibleName() == QLatin1String(accessibleName))
            return widget;
    }
    return nullptr;
}

enum class PageKind
{
    Colour,
    Grey,
    Mono
};

// Quadrants with a distinct top-left one, plus lines so that compression has detail to keep.
// dpi 0 leaves the resolution unstated.
inline QImage drawnPage(const QSize &size, PageKind kind = PageKind::Colour, int dpi = 0)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const int w = size.width() / 2;
    const int h = size.height() / 2;
    painter.fillRect(0, 0, w, h, kind == PageKind::Colour ? Qt::red : Qt::black);
    if (kind == PageKind::Colour) {
        painter.fillRect(w, 0, w + 1, h, Qt::green);
        painter.fillRect(0, h, w, h + 1, Qt::blue);
    }
    for (int x = w + 3; x < size.width() - 8; x += 7)
        painter.drawLine(x, h, x + 5, size.height() - 8);
    painter.end();
    if (kind == PageKind::Mono)
        image = image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    else if (kind == PageKind::Grey)
        image = image.convertToFormat(QImage::Format_Grayscale8);
    return dpi > 0 ? atDpi(image, dpi) : image;
}

// An A4 page with a photograph and nothing letter-like: smooth colour and a round shape.
inline QImage a4Photo(int dpi)
{
    QImage page = a4Page(dpi, false);
    QPainter painter(&page);
    const double mm = dpi / 25.4;
    const QRectF area(30 * mm, 60 * mm, 150 * mm, 110 * mm);
    QLinearGradient gradient(area.topLeft(), area.bottomRight());
    gradient.setColorAt(0, QColor(70, 110, 170));
    gradient.setColorAt(0.6, QColor(210, 170, 90));
    gradient.setColorAt(1, QColor(90, 140, 80));
    painter.fillRect(area, gradient);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(170, 40, 40));
    painter.drawEllipse(area.adjusted(40 * mm, 25 * mm, -50 * mm, -35 * mm));
    return page;
}
