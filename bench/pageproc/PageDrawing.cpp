#include "PageDrawing.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <QTransform>

#include <cmath>

namespace {
double px(double millimetres, int dpi)
{
    return millimetres * dpi / 25.4;
}

// Lines of "words" made of letter blocks with x-height and ascenders, as printed text looks
// to a skew finder.
void drawText(QPainter &painter, const QRectF &area, int dpi, QRandomGenerator &random)
{
    const double pitch = px(5.0, dpi);
    const double xHeight = px(1.9, dpi);
    const double ascender = px(2.8, dpi);
    for (double base = area.top() + ascender; base < area.bottom(); base += pitch) {
        double x = area.left();
        const double lineEnd = area.right() - (random.bounded(5) == 0 ? area.width() / 3 : 0);
        while (true) {
            const int letters = 2 + random.bounded(8);
            const double wordWidth = letters * px(2.2, dpi);
            if (x + wordWidth > lineEnd)
                break;
            for (int i = 0; i < letters; ++i) {
                const double width = px(1.4 + random.bounded(0.6), dpi);
                const double height = random.bounded(3) == 0 ? ascender : xHeight;
                painter.fillRect(QRectF(x, base - height, width, height), Qt::black);
                x += width + px(0.45, dpi);
            }
            x += px(2.2, dpi);
        }
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

// One page's content inside the rectangle page (A4 in pixels).
void drawContent(QPainter &painter, const QRectF &page, int dpi, bool colour,
                 QRandomGenerator &random)
{
    const double margin = px(20.0, dpi);
    const QRectF text = page.adjusted(margin, margin, -margin, -margin);
    painter.fillRect(QRectF(text.left(), text.top(), text.width(), px(0.6, dpi)), Qt::black);
    drawText(painter, QRectF(text.left(), text.top() + px(6, dpi), text.width(), px(110, dpi)), dpi,
             random);
    drawPicture(
        painter,
        QRectF(text.left() + px(25, dpi), text.top() + px(122, dpi), px(100, dpi), px(60, dpi)),
        colour);
    drawText(painter,
             QRectF(text.left(), text.top() + px(192, dpi), text.width(),
                    text.bottom() - text.top() - px(192, dpi)),
             dpi, random);
}

QImage turned(const QImage &source, double degrees)
{
    QImage result(source.size(), source.format());
    result.setDotsPerMeterX(source.dotsPerMeterX());
    result.setDotsPerMeterY(source.dotsPerMeterY());
    result.fill(Qt::white);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(source.width() / 2.0, source.height() / 2.0);
    painter.rotate(degrees);
    painter.drawImage(QPointF(-source.width() / 2.0, -source.height() / 2.0), source);
    return result;
}

// Lamp light falling off towards one side, and the lid's shadow along the left edge.
void scannerLook(QImage &image, int dpi)
{
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    QLinearGradient light(0, 0, image.width(), image.height());
    light.setColorAt(0.0, QColor(250, 248, 240));
    light.setColorAt(1.0, QColor(200, 196, 185));
    painter.fillRect(image.rect(), light);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.fillRect(QRectF(0, 0, px(4, dpi), image.height()), QColor(25, 25, 25));
}

QImage blankPage(int width, int height, int dpi, bool colour)
{
    QImage image(width, height, colour ? QImage::Format_RGB32 : QImage::Format_Grayscale8);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    return image;
}
} // namespace

DrawnPage drawPage(int dpi, bool colour, double degrees, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage page = blankPage(qRound(px(210, dpi)), qRound(px(297, dpi)), dpi, colour);
    {
        QPainter painter(&page);
        drawContent(painter, QRectF(page.rect()), dpi, colour, random);
    }
    page = turned(page, degrees);
    scannerLook(page, dpi);
    return {page, 0};
}

DrawnPage drawSpread(int dpi, double gutterFraction, quint32 seed)
{
    QRandomGenerator random(seed);
    const int width = qRound(px(420, dpi));
    const int height = qRound(px(297, dpi));
    const int gutter = qRound(width * gutterFraction);
    QImage spread = blankPage(width, height, dpi, false);
    {
        QPainter painter(&spread);
        drawContent(painter, QRectF(0, 0, gutter, height), dpi, false, random);
        drawContent(painter, QRectF(gutter, 0, width - gutter, height), dpi, false, random);
        // The binding's shadow: darkest on the gutter, fading over about a centimetre.
        const double reach = px(12, dpi);
        QLinearGradient shadow(gutter - reach, 0, gutter + reach, 0);
        shadow.setColorAt(0.0, QColor(0, 0, 0, 0));
        shadow.setColorAt(0.5, QColor(0, 0, 0, 110));
        shadow.setColorAt(1.0, QColor(0, 0, 0, 0));
        painter.fillRect(QRectF(gutter - reach, 0, 2 * reach, height), shadow);
    }
    scannerLook(spread, dpi);
    return {spread.transformed(QTransform().rotate(90)), gutter};
}
