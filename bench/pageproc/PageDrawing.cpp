#include "PageDrawing.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <QTransform>

#include <algorithm>

namespace {
double px(double millimetres, int dpi)
{
    return millimetres * dpi / 25.4;
}

const char *const Words[] = {
    "the",    "paper",   "scanner", "light",  "of",      "page",    "book",  "and",
    "margin", "binding", "letters", "which",  "printed", "across",  "line",  "an",
    "shadow", "image",   "glass",   "edge",   "after",   "reading", "while", "word",
    "colour", "grey",    "quietly", "turned", "between", "column",  "upon",  "its"};

// Paragraphs of 10 pt serif text filling area from the top.
void drawText(QPainter &painter, const QRectF &area, int dpi, QRandomGenerator &random)
{
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(qRound(10.0 / 72.0 * dpi));
    painter.setFont(font);
    painter.setPen(QColor(20, 20, 20));
    const QFontMetricsF metrics(font);
    const double lineHeight = metrics.height() * 1.15;
    const double space = metrics.horizontalAdvance(QLatin1Char(' '));
    double x = area.left() + px(6, dpi);
    for (double base = area.top() + metrics.ascent(); base < area.bottom() - metrics.descent();) {
        const QString word = QLatin1String(Words[random.bounded(int(std::size(Words)))]);
        const double width = metrics.horizontalAdvance(word);
        if (x + width > area.right()) {
            base += lineHeight;
            x = area.left();
            if (random.bounded(7) == 0) {
                base += lineHeight * 0.5;
                x += px(6, dpi);
            }
            continue;
        }
        painter.drawText(QPointF(x, base), word);
        x += width + space;
    }
}

void drawPicture(QPainter &painter, const QRectF &area, bool colour)
{
    QLinearGradient gradient(area.topLeft(), area.bottomRight());
    gradient.setColorAt(0.0, colour ? QColor(30, 90, 160) : QColor(60, 60, 60));
    gradient.setColorAt(0.6, colour ? QColor(200, 140, 40) : QColor(150, 150, 150));
    gradient.setColorAt(1.0, colour ? QColor(60, 150, 70) : QColor(100, 100, 100));
    painter.fillRect(area, gradient);
    painter.setBrush(colour ? QColor(220, 40, 40) : QColor(30, 30, 30));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(area.adjusted(area.width() * 0.3, area.height() * 0.2, -area.width() * 0.3,
                                      -area.height() * 0.3));
}

// One page's content inside the rectangle page, with the given inner margin on the side of
// the binding (left when bindingLeft).
void drawContent(QPainter &painter, const QRectF &page, int dpi, bool colour, double innerMm,
                 bool bindingLeft, QRandomGenerator &random)
{
    const double outer = px(20.0, dpi);
    const double inner = px(innerMm, dpi);
    const QRectF text =
        page.adjusted(bindingLeft ? inner : outer, outer, -(bindingLeft ? outer : inner), -outer);
    painter.fillRect(QRectF(text.left(), text.top(), text.width(), px(0.6, dpi)),
                     QColor(20, 20, 20));
    drawText(painter, QRectF(text.left(), text.top() + px(5, dpi), text.width(), px(110, dpi)), dpi,
             random);
    drawPicture(painter,
                QRectF(text.left() + text.width() * 0.15, text.top() + px(122, dpi),
                       text.width() * 0.7, px(60, dpi)),
                colour);
    drawText(painter,
             QRectF(text.left(), text.top() + px(192, dpi), text.width(),
                    text.bottom() - text.top() - px(192, dpi)),
             dpi, random);
}

QImage blankPage(int width, int height, int dpi)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    return image;
}

QImage turned(const QImage &source, double degrees)
{
    QImage result = blankPage(source.width(), source.height(), 1);
    result.setDotsPerMeterX(source.dotsPerMeterX());
    result.setDotsPerMeterY(source.dotsPerMeterY());
    QPainter painter(&result);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(source.width() / 2.0, source.height() / 2.0);
    painter.rotate(degrees);
    painter.drawImage(QPointF(-source.width() / 2.0, -source.height() / 2.0), source);
    return result;
}

// Off-white paper under lamp light that falls off towards one corner, and the lid's soft
// grey shadow along the left edge, its depth and width varying with seed.
void scannerLook(QImage &image, int dpi, quint32 seed)
{
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    QLinearGradient light(0, 0, image.width(), image.height());
    light.setColorAt(0.0, QColor(246, 241, 228));
    light.setColorAt(1.0, QColor(214, 208, 192));
    painter.fillRect(image.rect(), light);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const double reach = px(8 + seed % 3 * 3, dpi);
    const int depth = 70 + int(seed * 37 % 90);
    QLinearGradient shadow(0, 0, reach, 0);
    shadow.setColorAt(0.0, QColor(0, 0, 0, depth));
    shadow.setColorAt(0.4, QColor(0, 0, 0, depth * 5 / 6));
    shadow.setColorAt(1.0, QColor(0, 0, 0, 0));
    painter.fillRect(QRectF(0, 0, reach, image.height()), shadow);
}

// The optics' slight blur (two passes of a 3 x 3 box) and sensor noise (close to Gaussian,
// sigma about 6 levels, independent per channel).
void blurAndNoise(QImage &image, quint32 seed)
{
    const int width = image.width();
    const int height = image.height();
    for (int pass = 0; pass < 2; ++pass) {
        const QImage source = image.copy();
        for (int y = 1; y < height - 1; ++y) {
            const QRgb *rows[3] = {reinterpret_cast<const QRgb *>(source.constScanLine(y - 1)),
                                   reinterpret_cast<const QRgb *>(source.constScanLine(y)),
                                   reinterpret_cast<const QRgb *>(source.constScanLine(y + 1))};
            auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 1; x < width - 1; ++x) {
                int r = 0, g = 0, b = 0;
                for (const QRgb *row : rows) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        r += qRed(row[x + dx]);
                        g += qGreen(row[x + dx]);
                        b += qBlue(row[x + dx]);
                    }
                }
                out[x] = qRgb(r / 9, g / 9, b / 9);
            }
        }
    }
    QRandomGenerator random(seed * 7919u + 1u);
    // The sum of four uniform bytes less their mean: sigma 147.8 / 24 = about 6.
    const auto noise = [&random](quint32 bits) {
        return (int(bits & 255) + int(bits >> 8 & 255) + int(bits >> 16 & 255) + int(bits >> 24) -
                510) /
               24;
    };
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb p = line[x];
            line[x] = qRgb(std::clamp(qRed(p) + noise(random.generate()), 0, 255),
                           std::clamp(qGreen(p) + noise(random.generate()), 0, 255),
                           std::clamp(qBlue(p) + noise(random.generate()), 0, 255));
        }
    }
}

QImage asGreyOrColour(const QImage &image, bool colour)
{
    return colour ? image : image.convertToFormat(QImage::Format_Grayscale8);
}
} // namespace

DrawnPage drawPage(int dpi, bool colour, double degrees, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage page = blankPage(qRound(px(210, dpi)), qRound(px(297, dpi)), dpi);
    {
        QPainter painter(&page);
        painter.setRenderHint(QPainter::Antialiasing);
        drawContent(painter, QRectF(page.rect()), dpi, colour, 20.0, false, random);
    }
    page = turned(page, degrees);
    scannerLook(page, dpi, seed);
    blurAndNoise(page, seed);
    return {asGreyOrColour(page, colour), 0};
}

DrawnPage drawSpread(int dpi, double gutterFraction, double degrees, double innerMarginMm,
                     quint32 seed)
{
    QRandomGenerator random(seed);
    const int width = qRound(px(420, dpi));
    const int height = qRound(px(297, dpi));
    const int gutter = qRound(width * gutterFraction);
    QImage spread = blankPage(width, height, dpi);
    {
        QPainter painter(&spread);
        painter.setRenderHint(QPainter::Antialiasing);
        drawContent(painter, QRectF(0, 0, gutter, height), dpi, false, innerMarginMm, false,
                    random);
        drawContent(painter, QRectF(gutter, 0, width - gutter, height), dpi, false, innerMarginMm,
                    true, random);
        // The binding's shadow: darkest on the gutter, fading over less than the inner margin.
        const double reach = std::min(px(12, dpi), px(innerMarginMm, dpi) * 0.8);
        QLinearGradient shadow(gutter - reach, 0, gutter + reach, 0);
        shadow.setColorAt(0.0, QColor(0, 0, 0, 0));
        shadow.setColorAt(0.5, QColor(0, 0, 0, 110));
        shadow.setColorAt(1.0, QColor(0, 0, 0, 0));
        painter.fillRect(QRectF(gutter - reach, 0, 2 * reach, height), shadow);
    }
    spread = turned(spread, degrees);
    scannerLook(spread, dpi, seed);
    blurAndNoise(spread, seed);
    return {asGreyOrColour(spread, false).transformed(QTransform().rotate(90)), gutter};
}
